// Costs of the argument texts: naming a GL enum, describing a 10-argument call and collecting
// its search strings, wrapping a 64 KiB shader source.
#include "CallQueries.h"
#include "apicall/ApiCall.h"
#include "apicall/CallInfo.h"
#include "record/RecordItems.h"
#include "record/Trace.h"
#include "values/ApiTypes.h"
#include "values/ApiValueFormat.h"
#include "values/ArrayHolders.h"
#include "values/DataHolders.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

void EnumToString(benchmark::State& state)
{
    int count = 0;
    const SEnumName* table = GlEnumTable(count);
    std::vector<uint32_t> values;
    for (int i = 0; i < count; ++i)
        values.push_back(table[i].value);
    values.push_back(0x1234); // and a value without a name
    TGLenum e;
    CXQFTString text;
    size_t i = 0;
    for (auto _ : state) {
        e.value = values[i];
        e.ToString(text, nullptr);
        benchmark::DoNotOptimize(text.CStr());
        if (++i == values.size())
            i = 0;
    }
}
BENCHMARK(EnumToString);

// glTexImage2D-like: ten arguments of the usual holder kinds, one of them a short string.
class CTenArgumentCall : public CApiCall
{
public:
    CTenArgumentCall() : CApiCall(nullptr)
    {
        target.value = 0x0DE1;
        level.value = 0;
        internalFormat.value = 0x1908;
        width.value = 256;
        height.value = 256;
        border.value = 0;
        format.value = 0x1908;
        type.value = 0x1401;
        pixels.pointer.value = 0x7F001000;
        pixels.size = 262144;
        name.pointer.value = 0x1000;
        name.length = 12;
        name.text.reset(new char[13]);
        memcpy(name.text.get(), "u_modelView\n", 13);
    }
    const char* GetName() const override { return "glTexImage2D"; }
    int GetId() const override { return CallIdOf(ECallFamily::Es2, "glTexImage2D"); }
    const char* GetCategory() const override { return "Texture"; }
    void ListArguments(CCallInfo* info, uint8_t verbose) override
    {
        CApiCall::ListArguments(info, verbose);
        info->SetApi("ES2");
        info->SetError(&m_error);
        info->AddArgument("target", &target, 0);
        info->AddArgument("level", &level, 0);
        info->AddArgument("internalformat", &internalFormat, 0);
        info->AddArgument("width", &width, 0);
        info->AddArgument("height", &height, 0);
        info->AddArgument("border", &border, 0);
        info->AddArgument("format", &format, 0);
        info->AddArgument("type", &type, 0);
        info->AddArgument("pixels", &pixels, 0);
        info->AddArgument("name", &name, 0);
    }
    TGLenum target, internalFormat, format, type;
    TGLint level, border;
    TGLsizei width, height;
    SDataPtr pixels;
    SString name;
};

// Lists the call's arguments and collects their search strings, once per iteration.
template <class TCall>
void Describe(benchmark::State& state, TCall& call)
{
    for (auto _ : state) {
        CGenCallInfo info;
        call.ListArguments(&info, 0);
        std::vector<CXQFTString> strings;
        info.GetStrings(strings);
        benchmark::DoNotOptimize(strings.data());
    }
}

void DescribeTenArguments(benchmark::State& state)
{
    CTenArgumentCall call;
    Describe(state, call);
}
BENCHMARK(DescribeTenArguments);

// The same ten arguments as a call of the record tables keeps them: scalars bare, their holders
// made for each description (one block per description).
using CTenArgumentRecord = xqft::TRecord<
    CEs2Call, CallIdOf(ECallFamily::Es2, "glTexImage2D"), "glTexImage2D", "Texture", xqft::Arg<"target", TGLenum>, xqft::Arg<"level", TGLint>,
    xqft::Arg<"internalformat", TGLenum>, xqft::Arg<"width", TGLsizei>, xqft::Arg<"height", TGLsizei>, xqft::Arg<"border", TGLint>,
    xqft::Arg<"format", TGLenum>, xqft::Arg<"type", TGLenum>, xqft::DataOrPointer<"pixels", SDataPtr>,
    xqft::DataOrPointer<"name", SString>>;

class CTenArgumentTableCall : public CTenArgumentRecord
{
public:
    explicit CTenArgumentTableCall(CTrace& trace) : CTenArgumentRecord(trace)
    {
        auto& [target, level, internalFormat, width, height, border, format, type, pixels, name] = m_items;
        target.value = internalFormat.value = format.value = 0x0DE1;
        type.value = 0x1401;
        level.value = border.value = 0;
        width.value = height.value = 256;
        pixels.data.pointer.value = 0x7F001000;
        pixels.data.size = 262144;
        name.data.pointer.value = 0x1000;
        name.data.length = 12;
        name.data.text.reset(new char[13]);
        memcpy(name.data.text.get(), "u_modelView\n", 13);
    }
};

void DescribeTenArgumentsMadeHolders(benchmark::State& state)
{
    const int8_t sizes[30] = {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 1, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4};
    CTrace trace(11, 1, sizes, 30); // nothing open: the constructor reads zeros
    CTenArgumentTableCall call(trace);
    Describe(state, call);
}
BENCHMARK(DescribeTenArgumentsMadeHolders);

void WrapShader64K(benchmark::State& state)
{
    std::string source;
    for (int i = 0; source.size() < 65536; ++i)
        source += "    gl_FragColor = texture2D(u_sampler" + std::to_string(i % 8) + ", v_texCoord) * u_tint;\n";
    source.resize(65536);
    const CXQFTString s(source.c_str());
    for (auto _ : state) {
        CXQFTString out = WrapQuotedText(s);
        benchmark::DoNotOptimize(out.CStr());
    }
}
BENCHMARK(WrapShader64K);

} // namespace

BENCHMARK_MAIN();
