#include "host/resources/ResourceJson.h"

#include <cmath>
#include <limits>
#include <set>
#include <vector>

namespace vantri {
namespace {

std::string key_path(const std::string& parent, const std::string& key) {
    return parent.empty() ? key : parent + "." + key;
}

std::string index_path(const std::string& parent, size_t index) {
    return parent + "[" + std::to_string(index) + "]";
}

/// "line:column" of the parser's 1-based byte count in `text`.
std::string text_position(const std::string& text, size_t byte) {
    const size_t end = std::min(byte == 0 ? 0 : byte - 1, text.size());
    size_t line = 1, column = 1;
    for (size_t i = 0; i < end; ++i) {
        column = text[i] == '\n' ? 1 : column + 1;
        line += text[i] == '\n';
    }
    return std::to_string(line) + ":" + std::to_string(column);
}

/// The parser's reason without its own prefix, position and "syntax error while parsing
/// value - ".
std::string parse_reason(const std::string& what) {
    const size_t at = what.find("parse error");
    const size_t colon = at == std::string::npos ? at : what.find(": ", at);
    std::string reason = colon == std::string::npos ? what : what.substr(colon + 2);
    const size_t dash = reason.rfind("syntax error while parsing ", 0) == 0 ? reason.find(" - ")
                                                                            : std::string::npos;
    return dash == std::string::npos ? reason : reason.substr(dash + 3);
}

/// Follows the parser's events to know the path of the value being read, and refuses a key
/// that its object already has.
class DuplicateKeyCheck {
  public:
    bool operator()(int, ResourceJson::parse_event_t event, const ResourceJson& parsed) {
        using Event = ResourceJson::parse_event_t;
        const bool starts_value =
            event == Event::object_start || event == Event::array_start || event == Event::value;
        if (starts_value && !stack_.empty() && stack_.back().array) ++stack_.back().index;
        if (event == Event::object_start || event == Event::array_start) {
            stack_.push_back(Frame{event == Event::array_start, 0, {}, {}});
        } else if (event == Event::object_end || event == Event::array_end) {
            stack_.pop_back();
        } else if (event == Event::key) {
            const std::string key = parsed.get<std::string>();
            if (!stack_.back().keys.insert(key).second) {
                std::string path;
                for (size_t i = 0; i + 1 < stack_.size(); ++i)
                    path = stack_[i].array ? index_path(path, stack_[i].index - 1)
                                           : key_path(path, stack_[i].key);
                throw ResourceFault{key_path(path, key),
                                    "the key '" + key + "' is written twice in one object"};
            }
            stack_.back().key = key;
        }
        return true;
    }

  private:
    struct Frame {
        bool array;
        size_t index; // elements seen so far
        std::string key;
        std::set<std::string> keys;
    };
    std::vector<Frame> stack_;
};

} // namespace

std::string ResourceFault::describe(const std::string& file) const {
    return file + ": " + (where.empty() ? "" : where + ": ") + message;
}

Status parse_resource_json(const std::string& text, const std::string& file, ResourceJson& out) {
    try {
        out = ResourceJson::parse(text, DuplicateKeyCheck());
    } catch (const ResourceJson::parse_error& e) {
        return failure(file + ":" + text_position(text, e.byte) +
                       ": not valid JSON: " + parse_reason(e.what()));
    } catch (const ResourceFault& fault) {
        return failure(fault.describe(file));
    }
    return {};
}

ResourceField ResourceField::member(const char* key) const {
    return ResourceField(value_.at(key), member_path(key));
}

ResourceField ResourceField::element(size_t index) const {
    return ResourceField(value_.at(index), index_path(path_, index));
}

std::string ResourceField::member_path(const char* key) const {
    return key_path(path_, key);
}

void ResourceField::expect_object(const char* what,
                                  std::initializer_list<const char*> allowed) const {
    std::string list;
    for (const char* key : allowed)
        list += std::string(list.empty() ? "" : ", ") + key;
    if (!value_.is_object()) expected(std::string(what) + " (an object with " + list + ")");
    for (auto it = value_.begin(); it != value_.end(); ++it) {
        bool known = false;
        for (const char* key : allowed)
            known = known || it.key() == key;
        if (!known)
            throw ResourceFault{key_path(path_, it.key()),
                                "unknown key '" + it.key() + "' in " + what + ": expected " + list};
    }
}

void ResourceField::expect_list(const char* what) const {
    if (!value_.is_array()) expected(what);
}

void ResourceField::require(const char* key, const std::string& what) const {
    if (!has(key)) fail("missing \"" + std::string(key) + "\": expected " + what);
}

std::string ResourceField::text() const {
    if (!value_.is_string()) expected("a string");
    return value_.get<std::string>();
}

int32_t ResourceField::int32() const {
    // Written as an integer: the generated id headers take the number's text as it stands.
    if (value_.is_number_unsigned() &&
        value_.get<uint64_t>() <= uint64_t(std::numeric_limits<int32_t>::max()))
        return static_cast<int32_t>(value_.get<uint64_t>());
    if (value_.is_number_integer() && !value_.is_number_unsigned() &&
        value_.get<int64_t>() >= std::numeric_limits<int32_t>::min() &&
        value_.get<int64_t>() <= std::numeric_limits<int32_t>::max())
        return static_cast<int32_t>(value_.get<int64_t>());
    expected("a whole number within 32 bits");
}

double ResourceField::number() const {
    if (!value_.is_number() || !std::isfinite(value_.get<double>())) expected("a number");
    return value_.get<double>();
}

bool ResourceField::flag() const {
    if (!value_.is_boolean()) expected("true or false");
    return value_.get<bool>();
}

void ResourceField::fail(const std::string& message) const {
    throw ResourceFault{path_, message};
}

void ResourceField::expected(const std::string& what) const {
    fail("expected " + what + ", found " + json_kind(value_));
}

} // namespace vantri
