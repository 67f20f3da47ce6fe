#include "scenefile/SceneSettings.h"

#include "host/resources/JsonText.h"
#include "scenefile/NearestName.h"

namespace vantri {

namespace {

SceneObjectEntry* find_entry(std::vector<SceneObjectEntry>& entries, const std::string& name) {
    for (SceneObjectEntry& entry : entries) {
        if (entry.name == name) return &entry;
        if (SceneObjectEntry* found = find_entry(entry.children, name)) return found;
    }
    return nullptr;
}

void add_entry_names(const std::vector<SceneObjectEntry>& entries, std::vector<std::string>& out) {
    for (const SceneObjectEntry& entry : entries) {
        out.push_back(entry.name);
        add_entry_names(entry.children, out);
    }
}

std::vector<std::string> entry_names(const std::vector<SceneObjectEntry>& entries) {
    std::vector<std::string> out;
    add_entry_names(entries, out);
    return out;
}

} // namespace

Result<SceneSetting> read_scene_setting(const std::string& text) {
    const size_t equals = text.find('=');
    const size_t dot = equals == std::string::npos ? std::string::npos : text.rfind('.', equals);
    if (dot == std::string::npos || dot == 0 || dot + 1 == equals)
        return input_error("a setting is OBJECT.PARAMETER=VALUE, such as crowd.CROWDGEN_SEED=7");
    SceneSetting setting;
    setting.object = text.substr(0, dot);
    setting.parameter = text.substr(dot + 1, equals - dot - 1);
    setting.value = text.substr(equals + 1);
    setting.text = text;
    return setting;
}

Status apply_scene_settings(SceneFile& scene, const std::vector<SceneSetting>& settings) {
    for (const SceneSetting& setting : settings) {
        const std::string where = "--set " + valid_utf8(setting.text);
        // A parameter's text, like the scene file's, is UTF-8.
        if (valid_utf8(setting.text) != setting.text)
            return scene_error(where, "the setting is not valid UTF-8 text (shown here with "
                                      "U+FFFD where a byte is wrong)");
        SceneObjectEntry* entry = find_entry(scene.objects, setting.object);
        if (entry == nullptr)
            return scene_error(where, "the scene has no object named '" + setting.object + "'" +
                                          did_you_mean(setting.object, entry_names(scene.objects)));
        std::vector<SceneParameter>& params = entry->params;
        for (auto it = params.begin(); it != params.end();) {
            it = it->key == setting.parameter ? params.erase(it) : it + 1;
        }
        // JSON as in a scene file; anything else is a string.
        Json value = Json::parse(setting.value, nullptr, false);
        if (value.is_discarded()) value = setting.value;
        params.push_back(SceneParameter{setting.parameter, std::move(value), where});
    }
    return {};
}

} // namespace vantri
