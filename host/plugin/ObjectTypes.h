// The object types the host knows: its own (null, instance, cube ...) and those that
// plug-ins registered, in registration order.
#pragma once

#include "host/Status.h"
#include "host/resources/ImageFile.h"

#include "abi/host_abi.h"

#include <memory>
#include <string>
#include <vector>

namespace vantri {

/// Host object types.
constexpr int32_t kNullType = VT_OBJECT_TYPE_NULL;
constexpr int32_t kInstanceType = VT_OBJECT_TYPE_INSTANCE;
constexpr int32_t kInstanceLink = VT_INSTANCE_PARAMETER_SOURCE;
constexpr int32_t kCubeType = 5159;
/// Geometry the crowd code follows, stands on or steers around.
constexpr int32_t kPolygonType = 5100;
constexpr int32_t kSplineType = 5101;
constexpr int32_t kPlaneType = 5168;
constexpr int32_t kSphereType = 5160;
/// The object-type flag that makes the host build an object's output.
constexpr int32_t kGeneratorFlag = VT_TYPE_FLAG_GENERATOR;

struct ObjectType {
    int32_t id = 0;
    std::string name;
    int32_t info_flags = 0;
    std::string description;
    Image icon;
    bool has_icon = false;
    int32_t disk_level = 0;
    /// Set for plug-in types; the host calls into the plug-in through them.
    const VtObjectCallbacks* callbacks = nullptr;
    void* type_data = nullptr;

    bool is_plugin() const { return callbacks != nullptr; }
    bool is_generator() const { return (info_flags & kGeneratorFlag) != 0; }
};

class TypeRegistry {
  public:
    TypeRegistry();
    /// Adds a plug-in type. Fails when the id is taken or refused, or the record is
    /// incomplete.
    Status add(const VtObjectRegistration& registration);
    const ObjectType* find(int32_t id) const;
    const ObjectType* find_by_description(const std::string& description) const;
    /// Plug-in types in registration order.
    std::vector<const ObjectType*> plugin_types() const;
    /// Forgets the plug-in types (when their module is unloaded).
    void clear_plugin_types();
    /// Refuses plug-in type `id` from now on (for tests of a refused registration).
    void refuse(int32_t id) { refused_.push_back(id); }

  private:
    std::vector<std::unique_ptr<ObjectType>> types_;
    std::vector<int32_t> refused_;
};

} // namespace vantri
