// An environment variable set for one scope, for tests of what the programs take from it.
#ifndef BRENWICK_TESTS_ENVIRONMENT_VARIABLE_H
#define BRENWICK_TESTS_ENVIRONMENT_VARIABLE_H

#include <optional>
#include <string>

namespace test_files {

// Sets the variable, then restores its old value or removes it again.
class EnvironmentVariableScope {
public:
    EnvironmentVariableScope(std::string name, const std::string& value);
    ~EnvironmentVariableScope();
    EnvironmentVariableScope(const EnvironmentVariableScope&) = delete;
    EnvironmentVariableScope& operator=(const EnvironmentVariableScope&) = delete;

private:
    void Set(const char* value) const;  // null: remove the variable

    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace test_files

#endif
