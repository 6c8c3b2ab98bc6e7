#pragma once
// The one exception family the trace model and the players throw for a fault in the recorded data or
// on the host (an unknown type code, an argument the record lacks, no usable EGL config, a host
// library that did not load). Its text is the message users see, so it is written once here or at the
// throw and never rephrased by catchers.
#include <stdexcept>

class CXqftError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A recorded size, count or type width that does not fit: a block, string or array longer than
// what is left of its record, a float type whose table entry is not four bytes, a scalar type wider
// than eight. The loader tells it from the other faults: after it no trace data stays loaded, while
// after any other CXqftError the calls read so far stay.
class CXqftSizeError : public CXqftError
{
public:
    using CXqftError::CXqftError;
};

// The text of a read past the arguments or arrays a record holds; users see it after the call name.
inline constexpr const char* kSubscriptError = "invalid vector<T> subscript";
