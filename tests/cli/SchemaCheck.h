// A small JSON Schema checker for the tests: enough of draft 2020-12 for the documented event
// schema ($ref to "#/$defs/...", oneOf, type, const, enum, required, properties,
// additionalProperties, items, minimum, maximum). A keyword it does not know is reported as an
// error, so the schema cannot lean on something that is not checked.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace velmora::cli::test {

class SchemaCheck {
public:
    explicit SchemaCheck(nlohmann::json schema);

    // Why the value does not meet the schema, one text per fault with its place
    // ("/jobs/0/status: ..."); empty when it does.
    std::vector<std::string> faults(const nlohmann::json& value) const;

private:
    void check(const nlohmann::json& schema, const nlohmann::json& value, const std::string& place,
               std::vector<std::string>& faults) const;
    const nlohmann::json& resolve(const std::string& reference) const;

    nlohmann::json m_root;
};

}  // namespace velmora::cli::test
