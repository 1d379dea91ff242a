#include "environment_variable.h"

#include <cstdlib>
#include <utility>

namespace test_files {

EnvironmentVariableScope::EnvironmentVariableScope(std::string name, const std::string& value)
    : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    Set(value.c_str());
}

EnvironmentVariableScope::~EnvironmentVariableScope() { Set(old_ ? old_->c_str() : nullptr); }

void EnvironmentVariableScope::Set(const char* value) const {
#if defined(_WIN32)
    _putenv_s(name_.c_str(), value != nullptr ? value : "");  // an empty value removes the variable
#else
    if (value != nullptr) {
        setenv(name_.c_str(), value, 1);
    } else {
        unsetenv(name_.c_str());
    }
#endif
}

}  // namespace test_files
