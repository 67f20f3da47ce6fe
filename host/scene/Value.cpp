#include "host/scene/Value.h"

#include "host/scene/Atom.h"

namespace vantri {

Value::Value(const Value& other)
    : type(other.type), integer(other.integer), real(other.real), vector(other.vector),
      time(other.time), text(other.text), link(other.link),
      custom(other.custom ? other.custom->clone() : nullptr) {}

Value& Value::operator=(const Value& other) {
    if (this != &other) {
        Value copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Value Value::of_int(int32_t v) {
    Value value;
    value.type = VT_DTYPE_LONG;
    value.integer = v;
    return value;
}

Value Value::of_real(double v) {
    Value value;
    value.type = VT_DTYPE_REAL;
    value.real = v;
    return value;
}

Value Value::of_vector(const VtVector& v) {
    Value value;
    value.type = VT_DTYPE_VECTOR;
    value.vector = v;
    return value;
}

Value Value::of_string(const std::string& v) {
    Value value;
    value.type = VT_DTYPE_STRING;
    value.text = v;
    return value;
}

Value Value::of_link(const Atom* target) {
    Value value;
    value.type = VT_DTYPE_LINK;
    value.link = target != nullptr ? target->serial() : 0;
    return value;
}

Value Value::of_custom(std::unique_ptr<CustomData> v) {
    Value value;
    if (!v) return value;
    value.type = v->type();
    value.custom = std::move(v);
    return value;
}

bool Value::from_abi(const VtData& data, Value& out) {
    switch (data.type) {
    case VT_DTYPE_NONE:
        out = Value();
        return true;
    case VT_DTYPE_LONG:
        out = of_int(data.value.integer);
        return true;
    case VT_DTYPE_BOOL:
        // Booleans are stored as the integers 0 and 1. The bool type id lies in the range of
        // custom ids, so without this case its integer would be read as a custom handle.
        out = of_int(data.value.integer != 0 ? 1 : 0);
        return true;
    case VT_DTYPE_REAL:
        out = of_real(data.value.real);
        return true;
    case VT_DTYPE_VECTOR:
        out = of_vector(data.value.vector);
        return true;
    case VT_DTYPE_TIME:
        out = Value();
        out.type = VT_DTYPE_TIME;
        out.time = data.value.time;
        return true;
    case VT_DTYPE_STRING:
        out = of_string(data.value.string != nullptr ? data.value.string : "");
        return true;
    case VT_DTYPE_LINK:
        out = of_link(Atom::from(data.value.link));
        return true;
    default:
        if (data.type >= 1000000 && data.value.custom != nullptr) {
            const CustomData* source = CustomData::from(data.value.custom);
            if (source->type() != data.type) return false;
            out = of_custom(source->clone());
            return true;
        }
        return false;
    }
}

bool Value::to_abi(VtData& out) const {
    out = VtData{};
    out.type = type;
    switch (type) {
    case VT_DTYPE_LONG:
        out.value.integer = integer;
        return true;
    case VT_DTYPE_REAL:
        out.value.real = real;
        return true;
    case VT_DTYPE_VECTOR:
        out.value.vector = vector;
        return true;
    case VT_DTYPE_TIME:
        out.value.time = time;
        return true;
    case VT_DTYPE_STRING:
        out.value.string = text.c_str();
        return true;
    case VT_DTYPE_LINK:
        out.value.link = target() != nullptr ? target()->handle() : nullptr;
        return true;
    default:
        // Custom values cross by copy, made by whoever hands them out.
        out.type = VT_DTYPE_NONE;
        return type == VT_DTYPE_NONE;
    }
}

Atom* Value::target() const {
    return type == VT_DTYPE_LINK ? Atom::find_serial(link) : nullptr;
}

} // namespace vantri
