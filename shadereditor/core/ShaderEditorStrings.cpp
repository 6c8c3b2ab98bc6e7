// The string table: every entry as the editor shows it, stored once as UTF-8 text.
#include "ShaderEditorStrings.h"

namespace {

// Columns: entry index (comment), text. Entries 31-42 describe blank documents and templates,
// 43-54 are the document type names; 67 is a printf format with one %s.
constexpr const char* kEnglish[kShaderEditorStringCount] = {
    /*  0 */ "All files",
    /*  1 */ "All supported formats",
    /*  2 */ "GLSL",
    /*  3 */ "GLSL:ES",
    /*  4 */ "HLSL",
    /*  5 */ "OpenCL",
    /*  6 */ "Background colour",
    /*  7 */ "Bold",
    /*  8 */ "Browse...",
    /*  9 */ "Code Elements",
    /* 10 */ "Colour compiler output",
    /* 11 */ "ERROR: The compiler returned a critical error. Please check that the command line arguments are valid.",
    /* 12 */ "Compiler Output",
    /* 13 */ "Version:",
    /* 14 */ "Compiler:",
    /* 15 */ "Compiler:",
    /* 16 */ "Compile failed.",
    /* 17 */ "Compile succeeded.",
    /* 18 */ "Cursor Matcing",
    /* 19 */ "Custom Compiler",
    /* 20 */ "Defaults",
    /* 21 */ "Enable cursor matching",
    /* 22 */ "Error colour",
    /* 23 */ "Error while reading file:",
    /* 24 */ "Error while writing file:",
    /* 25 */ "The compiler returned an unexpected result! Please check the executable.",
    /* 26 */ "The compiler path is invalid. Please check that it is correct.",
    /* 27 */ "ERROR: Failed to execute compiler. Please check the path is valid.",
    /* 28 */ "Failed to open file:",
    /* 29 */ "Error while parsing VTL:",
    /* 30 */ "Failed to save file:",
    /* 31 */ "A blank fragment shader for use with OpenGL:ES 2.0 and OpenGL:ES 3.0.\n\nBackground compiling is enabled for this type.",
    /* 32 */ "A basic template for a Tarnvex Effect file for use with OpenGL:ES 2.0 and OpenGL:ES 3.0.\n\nBackground compiling is enabled for this type.",
    /* 33 */ "A blank vertex shader for use with OpenGL:ES 2.0 and OpenGL:ES 3.0.\n\nBackground compiling is enabled for this type.",
    /* 34 */ "A blank fragment shader for use with 'desktop' OpenGL.",
    /* 35 */ "A basic template for a Tarnvex Effect file for use with 'desktop' OpenGL.",
    /* 36 */ "A blank vertex shader for use with 'desktop' OpenGL.",
    /* 37 */ "A blank fragment shader for use with Microsoft DirectX.",
    /* 38 */ "A blank effect for use with Microsoft DirectX.",
    /* 39 */ "A blank geometry shader for use with Microsoft DirectX.",
    /* 40 */ "A blank vertex shader for use with Microsoft DirectX.",
    /* 41 */ "A blank OpenCL kernel for general-purpose computing.",
    /* 42 */ "A plain text file.",
    /* 43 */ "GLSL:ES Fragment Shader",
    /* 44 */ "Tarnvex Effect File (GLSL:ES)",
    /* 45 */ "GLSL:ES Vertex Shader",
    /* 46 */ "GLSL Fragment Shader",
    /* 47 */ "Tarnvex Effect File (GLSL)",
    /* 48 */ "GLSL Vertex Shader",
    /* 49 */ "HLSL Fragment Shader",
    /* 50 */ "HLSL FX File",
    /* 51 */ "HLSL Geometry Shader",
    /* 52 */ "HLSL Vertex Shader",
    /* 53 */ "OpenCL Kernel",
    /* 54 */ "Plain Text",
    /* 55 */ "Find Results",
    /* 56 */ "Font colour",
    /* 57 */ "Font face",
    /* 58 */ "Font size",
    /* 59 */ "Fragment Shader",
    /* 60 */ "Compiler Details",
    /* 61 */ "Custom Compiler Path:",
    /* 62 */ "Highlight find results",
    /* 63 */ "Location for temporary files:",
    /* 64 */ "ERROR: Malformed profile file.",
    /* 65 */ "Not enough memory to load file.",
    /* 66 */ "Kernel",
    /* 67 */ "Reason: %s",
    /* 68 */ "Sample:",
    /* 69 */ "Select Compiler",
    /* 70 */ "Select Directory",
    /* 71 */ "Supported options:",
    /* 72 */ "Tab",
    /* 73 */ "Tab size",
    /* 74 */ "ERROR: Could not create temporary file. Please check that the temporary directory is writable.",
    /* 75 */ "Treat tabs as spaces",
    /* 76 */ "Underline",
    /* 77 */ "Vertex Shader",
    /* 78 */ "Warning colour",
};

struct STable
{
    QString qt[kShaderEditorStringCount];
    CXQFTString bytes[kShaderEditorStringCount];

    STable()
    {
        for (uint32_t i = 0; i < kShaderEditorStringCount; ++i) {
            qt[i] = QString::fromUtf8(kEnglish[i]);
            bytes[i] = kEnglish[i];
        }
    }
};

const STable& Table()
{
    static const STable table;
    return table;
}

constexpr uint32_t kLanguage = 0;   // English, the only language

} // namespace

template <> QString GetShaderEditorString<QString>(uint32_t index)
{
    return index < kShaderEditorStringCount ? Table().qt[kLanguage * kShaderEditorStringCount + index] : QString();
}

template <> CXQFTString GetShaderEditorString<CXQFTString>(uint32_t index)
{
    return index < kShaderEditorStringCount ? Table().bytes[kLanguage * kShaderEditorStringCount + index] : CXQFTString();
}

template <> const char* GetShaderEditorString<const char*>(uint32_t index)
{
    return index < kShaderEditorStringCount ? Table().bytes[kLanguage * kShaderEditorStringCount + index].CStr() : "";
}
