// Parameter ids, parameter values and document times as they cross to the host.
#pragma once

#include "c4d_string.h"

class BaseList2D;
class BaseLink;
class C4DAtom;

/// Data types of parameter values and description entries.
enum {
    DTYPE_NONE = VT_DTYPE_NONE,
    DTYPE_GROUP = VT_DTYPE_GROUP,
    DTYPE_LONG = VT_DTYPE_LONG,
    DTYPE_REAL = VT_DTYPE_REAL,
    DTYPE_TIME = VT_DTYPE_TIME,
    DTYPE_VECTOR = VT_DTYPE_VECTOR,
    DTYPE_STRING = VT_DTYPE_STRING,
    DTYPE_BASELISTLINK = VT_DTYPE_LINK,
    DTYPE_BOOL = VT_DTYPE_BOOL,
    CUSTOMDATATYPE_INEXCLUDE_LIST = VT_CUSTOMDATA_INEXCLUDE,
    CUSTOMDATATYPE_SPLINE = VT_CUSTOMDATA_SPLINE,
};

/// A host custom value (in/exclude list, spline curve); a handle owned by whoever the
/// call that produced it names.
class CustomDataType {
public:
    CustomDataType() = delete;
    ~CustomDataType() = delete;
};

/// One level of a parameter id.
struct DescLevel {
    LONG id = 0;
    LONG dtype = 0;
    LONG creator = 0;
    DescLevel() = default;
    DescLevel(LONG i, LONG t = 0, LONG c = 0) : id(i), dtype(t), creator(c) {}  // NOLINT
};

/// A parameter id; the crowd code uses one level.
class DescID {
public:
    DescID() = default;
    DescID(LONG id);  // NOLINT: a plain number is a one-level id
    DescID(const DescLevel& level);  // NOLINT
    DescID(const DescLevel& first, const DescLevel& second);

    LONG GetDepth() const { return id_.depth; }
    DescLevel operator[](LONG level) const;
    /// True when this id is a leading part of `whole` (compared by level ids); `position`
    /// receives the number of levels matched.
    Bool IsPartOf(const DescID& whole, LONG* position) const;
    bool operator==(const DescID& other) const;

    const VtDescId& Abi() const { return id_; }
    static DescID FromAbi(const VtDescId& id);

private:
    VtDescId id_{};
};

/// A parameter value: integer, real, vector, string, link, time or custom data. A GeData
/// owns its string and its custom value.
class GeData {
public:
    GeData() = default;
    GeData(LONG value);  // NOLINT
    GeData(int64_t) = delete;
    GeData(Real value);  // NOLINT
    GeData(const LVector& value);  // NOLINT
    GeData(const String& value);  // NOLINT
    GeData(const BaseLink* link);  // NOLINT: stores the link's current target
    /// A copy of a custom value of type `type` (a null value gives an empty GeData).
    GeData(LONG type, const CustomDataType& value);
    GeData(const GeData& other);
    GeData& operator=(const GeData& other);
    ~GeData();

    LONG GetType() const { return data_.type; }
    LONG GetLong() const;
    Real GetReal() const;
    /// "Non-zero": a real entry of 0.5 is on, although its integer reading is 0.
    Bool GetBool() const {
        return data_.type == VT_DTYPE_REAL ? data_.value.real != 0.0 : GetLong() != 0;
    }
    LVector GetVector() const;
    const String& GetString() const { return string_; }
    /// The linked atom, or null.
    BaseList2D* GetLink() const;
    /// The custom value when it has type `type`, else null. Owned by this GeData.
    CustomDataType* GetCustomDataType(LONG type) const;

    /// The value as it crosses to the host (borrowed: valid while this GeData lives).
    const VtData& Abi() const { return data_; }
    /// Takes over a value the host handed out (its custom value becomes this GeData's).
    void AdoptFromHost(const VtData& value);

private:
    void Release();
    VtData data_{};
    String string_;
};

/// A document time: numerator / denominator seconds.
struct BaseTime {
    Real numerator = 0.0;
    Real denominator = 1.0;
    BaseTime() = default;
    BaseTime(Real num, Real den) : numerator(num), denominator(den) {}
    Real GetNumerator() const { return numerator; }
    Real GetDenominator() const { return denominator; }
    Real Get() const { return numerator / denominator; }
};
