#include "scenefile/SceneBuilder.h"

#include "host/Host.h"
#include "host/scene/ObjectFactory.h"
#include "scenefile/BlendExpansion.h"
#include "scenefile/NearestName.h"
#include "scenefile/ParameterValue.h"
#include "scenefile/SceneTypes.h"
#include "scenefile/Tracks.h"

#include <cctype>
#include <map>

namespace vantri {

namespace {

std::string label(const SceneObject& object, const ObjectType& type) {
    return "'" + object.name() + "' (" + (type.is_plugin() ? type.description : type.name) + ")";
}

// A numeric parameter id as a key: a few digits (longer strings are no id of a description).
bool is_id(const std::string& text) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

// The symbols of a description's parameters (not its groups), to suggest one.
std::vector<std::string> symbols(const DescriptionResource& description) {
    std::vector<std::string> out;
    for (const DescriptionParameter& parameter : description.parameters) {
        if (parameter.dtype != VT_DTYPE_GROUP) out.push_back(parameter.symbol);
    }
    return out;
}

class Builder {
  public:
    Builder(const Host& host, const SceneFile& scene, Document& document)
        : host_(host), scene_(scene), document_(document) {}

    Result<std::vector<BuiltObject>> build() {
        document_.set_fps(scene_.fps);
        document_.set_min_time(
            VtTime{static_cast<double>(scene_.start), static_cast<double>(scene_.fps)});
        document_.set_max_time(
            VtTime{static_cast<double>(scene_.end), static_cast<double>(scene_.fps)});
        for (const SceneObjectEntry& entry : scene_.objects) {
            if (Status created = create(entry, nullptr); !created) return created.error();
        }
        for (const BuiltObject& built : built_) {
            if (Status set = set_parameters(built); !set) return set.error();
        }
        tracks_.attach(document_);
        if (Status bounded = check_blend_expansion(built_, document_); !bounded)
            return bounded.error();
        return built_;
    }

  private:
    Status create(const SceneObjectEntry& entry, SceneObject* parent) {
        const std::string type_path = json_path(entry.path, "type");
        const Result<const ObjectType*> type =
            resolve_scene_type(host_.types(), entry.type, type_path);
        if (!type) return type.error();
        const Result<SceneObject*> made = create_object(host_.types(), (*type)->id);
        if (!made)
            return plugin_scene_error(entry.path,
                                      "cannot create '" + entry.name + "': " + made.message());
        SceneObject* object = *made;
        document_.insert(object, parent);
        object->set_name(entry.name);
        if (Status shaped = shape_object(*object, entry); !shaped) return shaped;
        if (entry.scale) object->set_scale(*entry.scale);
        if (entry.rotation) object->set_rotation(*entry.rotation);
        if (entry.position) object->set_position(*entry.position);
        tracks_.add(*object, entry.position_track, entry.rotation_track);
        names_[entry.name] = object;
        built_.push_back({object, &entry});
        for (const SceneObjectEntry& child : entry.children) {
            if (Status created = create(child, object); !created) return created;
        }
        return {};
    }

    Status set_parameters(const BuiltObject& built) {
        SceneObject& object = *built.object;
        const SceneObjectEntry& entry = *built.entry;
        if (entry.params.empty()) return {};
        const ObjectType& type = *host_.types().find(object.type());
        if (!type.is_plugin())
            // A setting from the command line names itself; the file's own names its place.
            return scene_error(
                entry.params.front().path.rfind("--set", 0) == 0 ? entry.params.front().path
                                                                 : json_path(entry.path, "params"),
                "object " + label(object, type) + " is a host object and has no parameters");
        const DescriptionResource* description = host_.find_description(type.description);
        if (description == nullptr)
            return plugin_scene_error(json_path(entry.path, "params"),
                                      "no description resource '" + type.description +
                                          "' was loaded, so the parameters of " +
                                          label(object, type) + " are unknown");
        const ObjectLookup lookup = [this](const std::string& name) -> SceneObject* {
            auto it = names_.find(name);
            return it != names_.end() ? it->second : nullptr;
        };
        std::vector<std::string> object_names;
        for (const auto& named : names_)
            object_names.push_back(named.first);
        for (const SceneParameter& param : entry.params) {
            const DescriptionParameter* parameter = is_id(param.key)
                                                        ? description->find(std::stoi(param.key))
                                                        : description->find(param.key);
            if (parameter == nullptr || parameter->dtype == VT_DTYPE_GROUP)
                return scene_error(param.path, "object " + label(object, type) +
                                                   " has no parameter '" + param.key + "'" +
                                                   did_you_mean(param.key, symbols(*description)));
            Result<Value> value = parameter_value(
                *parameter, param.value, lookup,
                ParameterSite{label(object, type), param.path, &host_.types(), &object_names});
            if (!value) return value.error();
            object.data().set(parameter->id, std::move(value).value());
            object.touch();
        }
        return {};
    }

    const Host& host_;
    const SceneFile& scene_;
    Document& document_;
    std::map<std::string, SceneObject*> names_;
    std::vector<BuiltObject> built_;
    SceneTracks tracks_;
};

} // namespace

Result<std::vector<BuiltObject>> build_scene(const Host& host, const SceneFile& scene,
                                             Document& document) {
    return Builder(host, scene, document).build();
}

} // namespace vantri
