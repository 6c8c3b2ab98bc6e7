#pragma once
// Holders of pointer arguments that carry arrays: counted arrays of scalars, tuples, matrices or
// strings (SArrayPtr), and fixed-size vectors and matrices (SPtr).
#include "ApiTypes.h"
#include "DataHolders.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace arraytext {
// Element texts gathered by the templates, formatted by the shared rules of ArrayHolders.cpp.
enum class EFamily { List, Tuple, Matrix };
void Compact(EFamily family, int n, const std::vector<std::string>& texts, size_t entries, CXQFTString& out);
void Raw(EFamily family, int n, const std::vector<std::string>& texts, size_t entries, CXQFTString& out);
void Long(EFamily family, int n, const std::vector<std::string>& texts, size_t entries, CXQFTString& out);
void Fixed(int a, int b, const std::vector<std::string>& texts, CXQFTString& out);
std::string Text(const SApiTypeBase& v);
std::string RawText(const SApiTypeBase& v);
std::string LongText(const SApiTypeBase& v);
} // namespace arraytext

template <class T>
concept Scalar32Holder = requires { typename T::ValueType; } && sizeof(typename T::ValueType) == 4;

// count entries of A x B elements each. Elements exist only when both the pointer and the count
// were non-zero in the record.
template <class T, int A, int B>
struct SArrayPtr : SApiTypeBase
{
    static_assert(A >= 1 && B >= 1 && (B == 1 || A == B), "lists, tuples and square matrices only");
    static constexpr int kRows = A;
    static constexpr int kColumns = B;
    using Element = T;

    std::unique_ptr<T[]> elements;
    TPointer pointer;
    uint32_t count = 0;
    std::unique_ptr<uint32_t[]> data; // contiguous 32-bit copy made by GetData

    SArrayPtr() = default;
    SArrayPtr(const SArrayPtr&) = delete;
    SArrayPtr& operator=(const SArrayPtr&) = delete;

    // Number of element holders (count x A x B when the elements were recorded, else 0).
    size_t ElementCount() const { return elements ? size_t(count) * A * B : 0; }
    const T& operator[](size_t i) const { return elements[i]; }
    T& operator[](size_t i) { return elements[i]; }

    // Makes count x A x B zero-valued element holders.
    void Allocate(uint32_t entries)
    {
        data.reset();
        count = entries;
        elements.reset(entries ? new T[size_t(entries) * A * B] : nullptr);
    }

    // The elements' 32-bit values as one block, made on first request; null without elements.
    uint32_t* GetData() requires(A == 1 && B == 1 && Scalar32Holder<T>)
    {
        if (!data && ElementCount() != 0) {
            data.reset(new uint32_t[count]);
            for (uint32_t i = 0; i < count; ++i)
                memcpy(&data[i], &elements[i].value, 4);
        }
        return data.get();
    }

    void ToString(CXQFTString& text, CXQFTString* rawText) const override
    {
        if (Start(text)) {
            if (rawText)
                pointer.ToString(*rawText, nullptr);
            return;
        }
        std::vector<std::string> texts;
        Collect(texts, arraytext::Text);
        arraytext::Compact(Family(), A, texts, count, text);
        if (rawText) {
            texts.clear();
            Collect(texts, Family() == arraytext::EFamily::List ? arraytext::RawText : arraytext::Text);
            arraytext::Raw(Family(), A, texts, count, *rawText);
        }
    }

    void ToLongString(CXQFTString& text) const override
    {
        if (Start(text))
            return;
        std::vector<std::string> texts;
        Collect(texts, arraytext::LongText);
        arraytext::Long(Family(), A, texts, count, text);
    }

protected:
    static constexpr arraytext::EFamily Family()
    {
        return A == 1 && B == 1 ? arraytext::EFamily::List
               : B == 1         ? arraytext::EFamily::Tuple
                                : arraytext::EFamily::Matrix;
    }

    // "NULL" for pointer 0, the pointer for an array without elements; true when that is all.
    bool Start(CXQFTString& text) const
    {
        if (pointer.value == 0) {
            text.Assign("NULL");
            return true;
        }
        if (ElementCount() == 0) {
            pointer.ToString(text, nullptr);
            return true;
        }
        return false;
    }

    void Collect(std::vector<std::string>& texts, std::string (*print)(const SApiTypeBase&)) const
    {
        const size_t n = ElementCount();
        texts.reserve(n);
        for (size_t i = 0; i < n; ++i)
            texts.push_back(print(elements[i]));
    }
};

// A x B elements held inline, present when the pointer is non-zero.
template <class T, int A, int B>
struct SPtr : SApiTypeBase
{
    static_assert((A >= 1 && B == 1) || (A == 4 && B == 4), "single values, vectors and 4x4 matrices only");
    static constexpr int kRows = A;
    static constexpr int kColumns = B;
    using Element = T;

    TPointer pointer;
    T elements[A * B];
    std::unique_ptr<uint8_t[]> buffer; // cleared by the reader; nothing here fills it

    SPtr() = default;
    SPtr(const SPtr&) = delete;
    SPtr& operator=(const SPtr&) = delete;

    void ToString(CXQFTString& text, CXQFTString* rawText) const override
    {
        if (pointer.value == 0) {
            text.Assign("NULL");
        } else {
            std::vector<std::string> texts;
            for (const T& e : elements)
                texts.push_back(arraytext::Text(e));
            arraytext::Fixed(A, B, texts, text);
        }
        if (rawText)
            pointer.ToString(*rawText, nullptr);
    }
};
