#pragma once
// Value holders of recorded scalars: arguments, return values and errors of call records.
// Each holder knows its type code (the index into the trace's type-size table) and prints its
// value as a compact text, a raw text and a long text.
#include "XQFTString.h"

#include <cstdint>

// A recorded scalar kept without its holder (4 or 8 bytes, no table pointer): call records and
// array holders store values this way and make holders only when they are described.
template <class V>
struct SBare
{
    V value{};
};

struct SApiTypeBase
{
    virtual ~SApiTypeBase() = default;
    // Replaces text with the compact text and, when rawText is set, *rawText with the raw text.
    virtual void ToString(CXQFTString& text, CXQFTString* rawText) const = 0;
    // May span several lines; scalars print their compact text.
    virtual void ToLongString(CXQFTString& text) const { ToString(text, nullptr); }
    // A scalar's recorded value as raw bits (a float's bit pattern, a pointer's 64 bits): what the
    // players hand to the host. False for holders of composite values.
    virtual bool ScalarBits(uint64_t& bits) const { return false; }
};

// N is the type code; value is 32 bits wide except for TPointer, which keeps 64.
template <int N, class T>
struct TApiType : SApiTypeBase
{
    static constexpr int kCode = N;
    using ValueType = T;
    T value = 0;
    T Value() const { return value; }
    bool ScalarBits(uint64_t& bits) const override
    {
        if constexpr (sizeof(T) == 8) {
            bits = uint64_t(value);
        } else {
            uint32_t word;
            static_assert(sizeof(T) == sizeof word);
            __builtin_memcpy(&word, &value, sizeof word);
            bits = word;
        }
        return true;
    }
};

// Plain-number texts shared by the scalar templates.
void FormatUnsigned(uint32_t value, CXQFTString& text, CXQFTString* rawText);
void FormatSigned(int32_t value, CXQFTString& text, CXQFTString* rawText);
void FormatFloat(float value, CXQFTString& text, CXQFTString* rawText);

template <int N>
struct TuintType : TApiType<N, uint32_t>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override
    { FormatUnsigned(this->value, text, rawText); }
};

template <int N>
struct TintType : TApiType<N, int32_t>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override
    { FormatSigned(this->value, text, rawText); }
};

template <int N>
struct TfloatType : TApiType<N, float>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override
    { FormatFloat(this->value, text, rawText); }
};

// The scalar types without a holder of their own, by their recorded C type (the code is the index
// into the type-size table, file format). The call rows name every scalar by its holder type.
using TEGLint = TintType<1>;
using TEGLConfig = TuintType<4>;
using TEGLClientBuffer = TuintType<8>;
using TGLint = TintType<17>;
using TGLsizei = TintType<18>;
using TGLubyte = TuintType<19>;  // also the selector of an extension call
using TGLuint = TuintType<21>;
using TGLfloat = TfloatType<22>;
using TGLclampf = TfloatType<23>;
using TGLintptr = TintType<25>;
using TGLsizeiptr = TintType<26>;
using TEGLImageKHR = TuintType<28>;
using TGLeglImageOES = TuintType<29>;

// A recorded pointer value: 64 bits, so traces of 64-bit devices keep their addresses whole.
struct TPointer : TApiType<0, uint64_t>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
};

// A recorded pointer kept inside a composite holder: the bare value, printed as TPointer prints.
// Listing it on its own takes a TPointer made for the description.
struct SPointerValue : SBare<uint64_t>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const;
};

// GL enum: its header token, or the decimal value when the table has none; raw "0x%X".
struct TGLenum : TuintType<12>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
    // The token printed for value, or null when the table has none.
    static const char* Name(uint32_t value);
};

struct TGLError : TuintType<12>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
};

struct TGLBeginMode : TuintType<12>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
};

struct TGLBlendFactor : TuintType<12>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
};

struct TGLboolean : TuintType<13>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
};

struct TGLbitfield : TuintType<14>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
};

// 16.16 fixed point.
struct TGLfixed : TintType<24>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
};

struct TGLclampx : TintType<27>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
};

struct TEGLBoolean : TuintType<2>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
};

struct TEGLNativeDisplayType : TuintType<9>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
};

struct TEGLContext : TuintType<5>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
};

struct TEGLDisplay : TuintType<6>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
};

struct TEGLSurface : TuintType<7>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
};

struct TEGLenum : TuintType<3>
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
};

// EGLint printed as an EGL name (also the EGL error of every EGL call).
struct TEGLintEnum : TEGLint
{
    void ToString(CXQFTString& text, CXQFTString* rawText) const override;
};
