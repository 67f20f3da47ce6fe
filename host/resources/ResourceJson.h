// Reading the JSON of a resource file: parsing that refuses a key written twice, and a
// cursor over the parsed values that knows where in the file each value stands, so that
// every fault names the file, the JSON path and what was expected.
#pragma once

#include "host/Status.h"
#include "host/resources/JsonText.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <initializer_list>
#include <string>

namespace vantri {

/// JSON with its objects' keys in file order, so that the first fault found is the first
/// in the file.
using ResourceJson = nlohmann::ordered_json;

/// A fault in a resource file: where (a JSON path such as "parameters[2].options[0].value",
/// empty for the whole file) and what was wrong and expected. Thrown while a file is read
/// and turned into the loader's error text before the loader returns.
struct ResourceFault {
    std::string where;
    std::string message;

    /// "file: where: message", or "file: message" for the whole file.
    std::string describe(const std::string& file) const;
};

/// Parses `text`, the content of the resource file at `file`. A key written twice in one
/// object is refused (the parser would silently keep one of the two). Fails with
/// "file:line:column: not valid JSON: why", or
/// "file: path: the key 'x' is written twice in one object".
Status parse_resource_json(const std::string& text, const std::string& file, ResourceJson& out);

/// A value of a resource file and its JSON path. The readers throw ResourceFault.
class ResourceField {
  public:
    ResourceField(const ResourceJson& value, std::string path)
        : value_(value), path_(std::move(path)) {}

    const ResourceJson& json() const { return value_; }
    const std::string& path() const { return path_; }

    /// Whether this object has `key`.
    bool has(const char* key) const { return value_.contains(key); }
    /// The member `key` of this object (which must be there).
    ResourceField member(const char* key) const;
    /// The element `index` of this list.
    ResourceField element(size_t index) const;
    /// The path of member `key`, present or not.
    std::string member_path(const char* key) const;

    /// Fails unless this is an object whose keys are all among `allowed`; `what` names it
    /// ("a parameter").
    void expect_object(const char* what, std::initializer_list<const char*> allowed) const;
    /// Fails unless this is a list; `what` says of what ("a list of options").
    void expect_list(const char* what) const;
    /// Fails unless member `key` is there; `what` says what it holds.
    void require(const char* key, const std::string& what) const;

    std::string text() const; ///< a string
    int32_t int32() const;    ///< a whole number within 32 bits (2.0 counts)
    double number() const;    ///< a finite number
    bool flag() const;        ///< true or false

    /// Throws ResourceFault at this value: "<message>".
    [[noreturn]] void fail(const std::string& message) const;
    /// Throws ResourceFault at this value: "expected <what>, found <what this is>".
    [[noreturn]] void expected(const std::string& what) const;

  private:
    const ResourceJson& value_;
    std::string path_;
};

} // namespace vantri
