#include "host/eval/FrameEvaluator.h"

#include "host/Host.h"
#include "host/eval/ExecutionList.h"
#include "host/plugin/ObjectTypes.h"

#include <algorithm>
#include <vector>

namespace vantri {

namespace {

std::vector<SceneObject*> plugin_objects(Document& document) {
    std::vector<SceneObject*> objects;
    document.for_each_object([&](SceneObject& object) {
        if (object.object_type() != nullptr) objects.push_back(&object);
    });
    return objects;
}

} // namespace

std::optional<ExecutionFailure> FrameEvaluator::evaluate(int32_t frame) {
    document_.set_frame(frame);
    if (document_.animation) document_.animation(document_);
    build_caches();
    std::optional<ExecutionFailure> failure = execute();
    if (failure) failure->frame = frame;
    return failure;
}

void FrameEvaluator::build_caches() {
    CacheBuild build;
    build.document = &document_;
    for (SceneObject* object : plugin_objects(document_)) {
        const ObjectType* type = object->object_type();
        if (!type->is_generator()) continue;
        VtAtom* result = type->callbacks->get_virtual_objects(object->instance(), object->handle(),
                                                              build.handle());
        SceneObject* output = SceneObject::from(result);
        if (output == object->cache()) continue;
        if (output != nullptr &&
            (output->parent() != nullptr || output->cache_owner() != nullptr)) {
            host_.report_misuse("generator '" + object->name() +
                                "' returned an object that belongs elsewhere");
            continue;
        }
        object->set_cache(output);
    }
}

std::optional<ExecutionFailure> FrameEvaluator::execute() {
    ExecutionList list;
    std::vector<SceneObject*> objects = plugin_objects(document_);
    for (size_t i = 0; i < objects.size(); ++i) {
        list.current_order = i;
        objects[i]->object_type()->callbacks->add_to_execution(objects[i]->instance(),
                                                               objects[i]->handle(), list.handle());
    }
    std::stable_sort(list.entries.begin(), list.entries.end(),
                     [](const ExecutionEntry& a, const ExecutionEntry& b) {
                         if (a.priority != b.priority) return a.priority < b.priority;
                         return a.order < b.order;
                     });
    for (const ExecutionEntry& entry : list.entries) {
        SceneObject* object = entry.object;
        const ObjectType* type = object->object_type();
        if (type == nullptr) continue;
        // Later objects would build on a frame that is already wrong.
        if (type->callbacks->execute(object->instance(), object->handle(), document_.handle(),
                                     nullptr, entry.priority,
                                     entry.flags) != VT_EXECUTION_RESULT_OK)
            return ExecutionFailure{0, object->name(), type->description};
    }
    return std::nullopt;
}

void FrameEvaluator::send_render_notification(bool start) {
    VtRenderNotification notification{document_.handle(), start ? 1 : 0};
    for (SceneObject* object : plugin_objects(document_)) {
        object->object_type()->callbacks->message(object->instance(), object->handle(),
                                                  VT_OBJECT_MESSAGE_RENDER_NOTIFICATION,
                                                  &notification);
    }
}

} // namespace vantri
