#include "plugin/hostapi/GeData.h"

#include "plugin/hostapi/host_binding.h"

DescID::DescID(int32_t id) : DescID(DescIdLevel(id)) {}

DescID::DescID(const DescIdLevel& level) {
    id_.depth = 1;
    id_.level[0] = VtDescLevel{level.id, level.dtype, level.creator};
}

DescID::DescID(const DescIdLevel& first, const DescIdLevel& second) : DescID(first) {
    id_.depth = 2;
    id_.level[1] = VtDescLevel{second.id, second.dtype, second.creator};
}

DescIdLevel DescID::operator[](int32_t level) const {
    if (level < 0 || level >= id_.depth) return DescIdLevel();
    const VtDescLevel& l = id_.level[level];
    return DescIdLevel(l.id, l.dtype, l.creator);
}

Bool DescID::IsPartOf(const DescID& whole, int32_t* position) const {
    if (id_.depth == 0 || id_.depth > whole.id_.depth) return FALSE;
    for (int32_t i = 0; i < id_.depth; ++i) {
        if (id_.level[i].id != whole.id_.level[i].id) return FALSE;
    }
    if (position != nullptr) *position = id_.depth;
    return TRUE;
}

bool DescID::operator==(const DescID& other) const {
    if (id_.depth != other.id_.depth) return false;
    for (int32_t i = 0; i < id_.depth; ++i) {
        if (id_.level[i].id != other.id_.level[i].id) return false;
    }
    return true;
}

DescID DescID::FromAbi(const VtDescId& id) {
    DescID result;
    result.id_ = id;
    if (result.id_.depth < 0) result.id_.depth = 0;
    if (result.id_.depth > VT_DESCID_MAX_DEPTH) result.id_.depth = VT_DESCID_MAX_DEPTH;
    return result;
}

GeData::GeData(int32_t value) {
    data_.type = VT_DTYPE_LONG;
    data_.value.integer = value;
}

GeData::GeData(double value) {
    data_.type = VT_DTYPE_REAL;
    data_.value.real = value;
}

GeData::GeData(const LVector& value) {
    data_.type = VT_DTYPE_VECTOR;
    data_.value.vector = ToAbi(value);
}

GeData::GeData(const String& value) : string_(value) {
    data_.type = VT_DTYPE_STRING;
    data_.value.string = string_.GetCString();
}

GeData::GeData(const BaseLink* link) {
    data_.type = VT_DTYPE_LINK;
    HostApi* host = vt::Host();
    data_.value.link = nullptr;
    if (link != nullptr && host != nullptr) {
        VtLink* handle = reinterpret_cast<VtLink*>(const_cast<BaseLink*>(link));
        data_.value.link = host->objects->link_get(handle, nullptr);
    }
}

GeData::GeData(int32_t type, const CustomDataType& value) {
    HostApi* host = vt::Host();
    if (host == nullptr) return;
    VtCustomData* copy =
        host->containers->custom_clone(reinterpret_cast<const VtCustomData*>(&value));
    if (copy == nullptr) return;
    data_.type = type;
    data_.value.custom = copy;
}

GeData::GeData(const GeData& other) {
    *this = other;
}

GeData& GeData::operator=(const GeData& other) {
    if (this == &other) return *this;
    Release();
    data_ = other.data_;
    if (data_.type == VT_DTYPE_STRING) {
        string_ = other.string_;
        data_.value.string = string_.GetCString();
    } else if (data_.type >= 1000000 && data_.value.custom != nullptr) {
        HostApi* host = vt::Host();
        data_.value.custom =
            host != nullptr ? host->containers->custom_clone(other.data_.value.custom) : nullptr;
        if (data_.value.custom == nullptr) data_ = VtData{};
    }
    return *this;
}

GeData::~GeData() {
    Release();
}

void GeData::Release() {
    if (data_.type >= 1000000 && data_.value.custom != nullptr) {
        HostApi* host = vt::Host();
        if (host != nullptr) host->containers->custom_free(data_.value.custom);
    }
    data_ = VtData{};
    string_ = String();
}

void GeData::AdoptFromHost(const VtData& value) {
    Release();
    data_ = value;
    if (data_.type == VT_DTYPE_STRING) {
        string_ = String(value.value.string);
        data_.value.string = string_.GetCString();
    }
}

int32_t GeData::GetLong() const {
    switch (data_.type) {
    case VT_DTYPE_LONG:
        return data_.value.integer;
    case VT_DTYPE_REAL: {
        // Truncates toward zero; out-of-range values saturate instead of overflowing.
        const double r = data_.value.real;
        if (!(r == r)) return 0;
        if (r >= 2147483647.0) return 2147483647;
        if (r <= -2147483648.0) return -2147483647 - 1;
        return static_cast<int32_t>(r);
    }
    default:
        return 0;
    }
}

double GeData::GetReal() const {
    switch (data_.type) {
    case VT_DTYPE_REAL:
        return data_.value.real;
    case VT_DTYPE_LONG:
        return static_cast<double>(data_.value.integer);
    default:
        return 0.0;
    }
}

LVector GeData::GetVector() const {
    return data_.type == VT_DTYPE_VECTOR ? FromAbi(data_.value.vector) : LVector();
}

ParameterNode* GeData::GetLink() const {
    return data_.type == VT_DTYPE_LINK ? reinterpret_cast<ParameterNode*>(data_.value.link)
                                       : nullptr;
}

CustomDataType* GeData::GetCustomDataType(int32_t type) const {
    if (data_.type != type || type < 1000000) return nullptr;
    return reinterpret_cast<CustomDataType*>(data_.value.custom);
}
