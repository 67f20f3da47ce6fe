#include "scenefile/BlendExpansion.h"

#include "host/scene/InExcludeList.h"

#include <algorithm>

namespace vantri {

namespace {

// The plug-in's type and parameter ids that the walk reads.
constexpr int32_t kGeneratorType = VT_CROWD_TYPE_GENERATOR;

constexpr int32_t kBlendType = VT_CROWD_TYPE_BLEND;
constexpr int32_t kGeneratorBehaviours = 1017;
constexpr int32_t kBlendList = 1000;
constexpr int32_t kBlendMode = 1001;
constexpr int32_t kBlendModeSingle = 1006;
constexpr int32_t kBlendIndex = 1007;

const InExcludeList* list_of(const SceneObject& object, int32_t id) {
    const Value* value = object.data().find(id);
    if (value == nullptr || !value->custom || value->custom->type() != VT_CUSTOMDATA_INEXCLUDE)
        return nullptr;
    return static_cast<const InExcludeList*>(value->custom.get());
}

int32_t integer_of(const SceneObject& object, int32_t id) {
    const Value* value = object.data().find(id);
    return value != nullptr ? value->integer : 0;
}

// Counts the entries one agent's evaluation visits, stopping once past the limit.
class Walk {
  public:
    explicit Walk(const Document& document) : document_(document) {}

    /// The generator's list, as the world walks it; false when past the limit.
    bool generator(const SceneObject& generator) {
        const InExcludeList* list = list_of(generator, kGeneratorBehaviours);
        if (list == nullptr) return true;
        for (int32_t i = 0; i < list->count(); ++i) {
            if (!visit(list->resolve(i, &document_))) return false;
        }
        return true;
    }

    /// The blends reached, in the order first met.
    const std::vector<const SceneObject*>& blends() const { return blends_; }

  private:
    bool visit(const Atom* item) {
        if (++visits_ > kMaxBlendExpansion) return false;
        if (item == nullptr || item->type() != kBlendType) return true;
        const auto* blend = static_cast<const SceneObject*>(item);
        if (std::find(path_.begin(), path_.end(), blend) != path_.end()) return true;
        if (std::find(blends_.begin(), blends_.end(), blend) == blends_.end())
            blends_.push_back(blend);
        const InExcludeList* list = list_of(*blend, kBlendList);
        if (list == nullptr) return true;
        int32_t first = 0, end = list->count();
        if (integer_of(*blend, kBlendMode) == kBlendModeSingle) {
            first = integer_of(*blend, kBlendIndex);
            end = (first < 0 || first >= end) ? first : first + 1;
        }
        path_.push_back(blend);
        bool within = true;
        for (int32_t i = first; within && i < end; ++i)
            within = visit(list->resolve(i, &document_));
        path_.pop_back();
        return within;
    }

    const Document& document_;
    std::vector<const SceneObject*> path_;
    std::vector<const SceneObject*> blends_;
    size_t visits_ = 0;
};

} // namespace

Status check_blend_expansion(const std::vector<BuiltObject>& built, const Document& document) {
    for (const BuiltObject& object : built) {
        if (object.object->type() != kGeneratorType) continue;
        Walk walk(document);
        if (walk.generator(*object.object)) continue;
        std::string names;
        for (size_t i = 0; i < walk.blends().size() && i < 8; ++i)
            names += (i == 0 ? "'" : ", '") + walk.blends()[i]->name() + "'";
        if (walk.blends().size() > 8) names += ", ...";
        std::string path = object.entry->path + ".params";
        for (const SceneParameter& param : object.entry->params) {
            if (param.key == "CROWDGEN_BEHAVIOURS" || param.key == "1017") path = param.path;
        }
        return scene_error(path, "generator '" + object.object->name() + "': its blends " + names +
                                     " list each other so that one agent's steering would visit "
                                     "more than " +
                                     std::to_string(kMaxBlendExpansion) +
                                     " entries at every frame; list fewer blends in each other");
    }
    return {};
}

} // namespace vantri
