#include "SchemaCheck.h"

#include <algorithm>
#include <set>
#include <stdexcept>

namespace velmora::cli::test {

namespace {

bool hasType(const nlohmann::json& value, const std::string& type) {
    if (type == "object") {
        return value.is_object();
    }
    if (type == "array") {
        return value.is_array();
    }
    if (type == "string") {
        return value.is_string();
    }
    if (type == "integer") {
        return value.is_number_integer();
    }
    if (type == "number") {
        return value.is_number();
    }
    if (type == "boolean") {
        return value.is_boolean();
    }
    if (type == "null") {
        return value.is_null();
    }
    throw std::invalid_argument("unknown type " + type);
}

const std::set<std::string, std::less<>> kKnownKeywords = {
    "$schema", "$id",     "title",    "description",
    "$defs",   "$ref",    "oneOf",    "type",
    "const",   "enum",    "required", "properties",
    "items",   "minimum", "maximum",  "additionalProperties"};

}  // namespace

SchemaCheck::SchemaCheck(nlohmann::json schema) : m_root(std::move(schema)) {}

std::vector<std::string> SchemaCheck::faults(const nlohmann::json& value) const {
    std::vector<std::string> found;
    check(m_root, value, "", found);
    return found;
}

const nlohmann::json& SchemaCheck::resolve(const std::string& reference) const {
    static const std::string kPrefix = "#/$defs/";
    if (reference.rfind(kPrefix, 0) != 0) {
        throw std::invalid_argument("unsupported reference " + reference);
    }
    return m_root.at("$defs").at(reference.substr(kPrefix.size()));
}

void SchemaCheck::check(const nlohmann::json& schema, const nlohmann::json& value,
                        const std::string& place, std::vector<std::string>& faults) const {
    const std::string where = place.empty() ? "/" : place;
    for (const auto& [keyword, argument] : schema.items()) {
        if (!kKnownKeywords.contains(keyword)) {
            faults.push_back(where + ": the schema uses \"" + keyword + "\", which is not checked");
        }
    }
    if (schema.contains("$ref")) {
        check(resolve(schema["$ref"]), value, place, faults);
    }
    if (schema.contains("oneOf")) {
        int matching = 0;
        std::vector<std::string> branchFaults;
        for (const nlohmann::json& branch : schema["oneOf"]) {
            std::vector<std::string> own;
            check(branch, value, place, own);
            matching += own.empty() ? 1 : 0;
            branchFaults.insert(branchFaults.end(), own.begin(), own.end());
        }
        if (matching != 1) {
            faults.push_back(where + ": matches " + std::to_string(matching) +
                             " of the oneOf schemas, not one");
            // The branches of other events only add that the event name differs.
            for (const std::string& fault : branchFaults) {
                if (fault.find("/event: ") == std::string::npos) {
                    faults.push_back("  " + fault);
                }
            }
        }
    }
    if (schema.contains("type")) {
        const nlohmann::json& type = schema["type"];
        const bool matches = type.is_array()
                                 ? std::any_of(type.begin(), type.end(),
                                               [&](const auto& one) { return hasType(value, one); })
                                 : hasType(value, type);
        if (!matches) {
            faults.push_back(where + ": " + value.dump() + " is not of type " + type.dump());
            return;
        }
    }
    if (schema.contains("const") && value != schema["const"]) {
        faults.push_back(where + ": " + value.dump() + " is not the const " +
                         schema["const"].dump());
    }
    if (schema.contains("enum")) {
        const nlohmann::json& values = schema["enum"];
        if (std::find(values.begin(), values.end(), value) == values.end()) {
            faults.push_back(where + ": " + value.dump() + " is not one of " + values.dump());
        }
    }
    if (value.is_number()) {
        if (schema.contains("minimum") && value.get<double>() < schema["minimum"].get<double>()) {
            faults.push_back(where + ": " + value.dump() + " is below the minimum");
        }
        if (schema.contains("maximum") && value.get<double>() > schema["maximum"].get<double>()) {
            faults.push_back(where + ": " + value.dump() + " is above the maximum");
        }
    }
    if (value.is_object()) {
        for (const nlohmann::json& name : schema.value("required", nlohmann::json::array())) {
            if (!value.contains(name.get<std::string>())) {
                faults.push_back(where + ": the field " + name.dump() + " is missing");
            }
        }
        const nlohmann::json properties = schema.value("properties", nlohmann::json::object());
        for (const auto& [name, field] : value.items()) {
            if (properties.contains(name)) {
                check(properties[name], field, place + "/" + name, faults);
            } else if (schema.contains("additionalProperties")) {
                const nlohmann::json& other = schema["additionalProperties"];
                if (other.is_boolean() && !other.get<bool>()) {
                    faults.push_back(where + ": the field \"" + name + "\" is not in the schema");
                } else if (other.is_object()) {
                    check(other, field, place + "/" + name, faults);
                }
            }
        }
    }
    if (value.is_array() && schema.contains("items")) {
        for (std::size_t i = 0; i < value.size(); ++i) {
            check(schema["items"], value[i], place + "/" + std::to_string(i), faults);
        }
    }
}

}  // namespace velmora::cli::test
