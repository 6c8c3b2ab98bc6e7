#pragma once
// The one exception type the trace model and the players throw for a fault in the recorded data or
// on the host (an unknown type code, an argument the record lacks, no usable EGL config). Its text is
// the message users see, so it is written once here or at the throw and never rephrased by catchers.
#include <stdexcept>

class CXqftError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The text of a read past the arguments or arrays a record holds; users see it after the call name.
inline constexpr const char* kSubscriptError = "invalid vector<T> subscript";
