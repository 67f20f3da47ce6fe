// Reading back what scene.glb holds, for the tests that compare it with agents.csv.
#pragma once

#include <tiny_gltf.h>

#include <cstring>
#include <string>
#include <vector>

namespace vantri_gltf {

/// The floats of an accessor, tightly packed.
inline std::vector<float> floats(const tinygltf::Model& model, int index) {
    const tinygltf::Accessor& accessor = model.accessors.at(static_cast<size_t>(index));
    const tinygltf::BufferView& view =
        model.bufferViews.at(static_cast<size_t>(accessor.bufferView));
    const unsigned char* data = model.buffers.at(static_cast<size_t>(view.buffer)).data.data() +
                                view.byteOffset + accessor.byteOffset;
    const size_t count =
        accessor.count *
        static_cast<size_t>(tinygltf::GetNumComponentsInType(static_cast<uint32_t>(accessor.type)));
    std::vector<float> values(count);
    std::memcpy(values.data(), data, count * sizeof(float));
    return values;
}

/// A value of a node's extras as text ("" when the node has none by that key).
inline std::string extra(const tinygltf::Value& extras, const char* key) {
    if (!extras.Has(key)) return "";
    const tinygltf::Value& v = extras.Get(key);
    return v.IsString() ? v.Get<std::string>() : std::to_string(v.GetNumberAsInt());
}

} // namespace vantri_gltf
