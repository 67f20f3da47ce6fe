// Parameter ids, parameter values and document times as they cross to the host.
#pragma once

#include "plugin/hostapi/String.h"

class ParameterNode;
class BaseLink;
class C4DAtom;

/// Data types of parameter values and description entries.
namespace ParameterType {
constexpr int32_t None = VT_DTYPE_NONE;
constexpr int32_t Group = VT_DTYPE_GROUP;
constexpr int32_t Integer = VT_DTYPE_LONG;
constexpr int32_t Real = VT_DTYPE_REAL;
constexpr int32_t Time = VT_DTYPE_TIME;
constexpr int32_t Vector = VT_DTYPE_VECTOR;
constexpr int32_t String = VT_DTYPE_STRING;
constexpr int32_t Link = VT_DTYPE_LINK;
constexpr int32_t Bool = VT_DTYPE_BOOL;
} // namespace ParameterType

/// Ids of the host's custom data types.
namespace CustomDataId {
constexpr int32_t InExcludeList = VT_CUSTOMDATA_INEXCLUDE;
constexpr int32_t SplineCurve = VT_CUSTOMDATA_SPLINE;
} // namespace CustomDataId

/// A host custom value (in/exclude list, spline curve); a handle owned by whoever the
/// call that produced it names.
class CustomDataType {
  public:
    CustomDataType() = delete;
    ~CustomDataType() = delete;
};

/// One level of a parameter id.
struct DescIdLevel {
    int32_t id = 0;
    int32_t dtype = 0;
    int32_t creator = 0;
    DescIdLevel() = default;
    DescIdLevel(int32_t i, int32_t t = 0, int32_t c = 0) : id(i), dtype(t), creator(c) {} // NOLINT
};

/// A parameter id; the crowd code uses one level.
class DescID {
  public:
    DescID() = default;
    DescID(int32_t id);               // NOLINT: a plain number is a one-level id
    DescID(const DescIdLevel& level); // NOLINT
    DescID(const DescIdLevel& first, const DescIdLevel& second);
    DescIdLevel operator[](int32_t level) const;
    /// True when this id is a leading part of `whole` (compared by level ids); `position`
    /// receives the number of levels matched.
    Bool IsPartOf(const DescID& whole, int32_t* position) const;
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
    GeData(int32_t value); // NOLINT
    GeData(int64_t) = delete;
    GeData(double value);         // NOLINT
    GeData(const LVector& value); // NOLINT
    GeData(const String& value);  // NOLINT
    GeData(const BaseLink* link); // NOLINT: stores the link's current target
    /// A copy of a custom value of type `type` (a null value gives an empty GeData).
    GeData(int32_t type, const CustomDataType& value);
    GeData(const GeData& other);
    GeData& operator=(const GeData& other);
    ~GeData();

    int32_t GetType() const { return data_.type; }
    int32_t GetLong() const;
    double GetReal() const;
    /// "Non-zero": a real entry of 0.5 is on, although its integer reading is 0.
    Bool GetBool() const {
        return data_.type == VT_DTYPE_REAL ? data_.value.real != 0.0 : GetLong() != 0;
    }
    LVector GetVector() const;
    const String& GetString() const { return string_; }
    /// The linked atom, or null.
    ParameterNode* GetLink() const;
    /// The custom value when it has type `type`, else null. Owned by this GeData.
    CustomDataType* GetCustomDataType(int32_t type) const;

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
    double numerator = 0.0;
    double denominator = 1.0;
    BaseTime() = default;
    BaseTime(double num, double den) : numerator(num), denominator(den) {}
    double GetNumerator() const { return numerator; }
    double GetDenominator() const { return denominator; }
    double Get() const { return numerator / denominator; }
};
