#pragma once
// The shader editor's compiler and editor settings, as stored in its preference store.
#include "XQFTString.h"

#include <QColor>
#include <QMetaType>
#include <QTextCharFormat>

#include <cstdint>

namespace Settings {

struct SCompiler
{
    bool AutoCompile = true;
    bool ShouldFormat = true;
    CXQFTString CustomCompilerPath;   // "Compiler/GLSLES", whatever language it compiles
    CXQFTString TempDirectory;
    QTextCharFormat WarningFormat;    // only the foreground brush is a setting
    QTextCharFormat ErrorFormat;
    uint32_t CompilerSelection = 0;   // 0-3 built-in compilers, 4 the custom path
};

struct SEditor
{
    bool TreatTabAsSpace = false;
    bool PerformCursorMatch = true;
    bool HighlightFindResults = true;
    bool CloseTabsMiddleMouse = false;
    uint32_t TabSpaceSize = 4;
    QColor CursorMatchColour;
    QColor FindResultColour;
};

// Setter masks: each bit selects one field to store.
enum ECompilerMask : uint32_t
{
    eCompilerAutoCompile = 1,
    eCompilerCustomPath = 2,
    eCompilerTempDirectory = 8,
    eCompilerWarningFormat = 16,
    eCompilerErrorFormat = 32,
    eCompilerShouldFormat = 64,
    eCompilerSelection = 128,
};
enum EEditorMask : uint32_t
{
    eEditorTreatTabAsSpace = 1,
    eEditorTabSpaceSize = 2,
    eEditorCursorMatch = 4,
    eEditorCursorMatchColour = 8,
    eEditorHighlightFind = 16,
    eEditorFindResultColour = 32,
    eEditorCloseTabsMiddleMouse = 64,
};

} // namespace Settings

Q_DECLARE_METATYPE(Settings::SCompiler)
Q_DECLARE_METATYPE(Settings::SEditor)
