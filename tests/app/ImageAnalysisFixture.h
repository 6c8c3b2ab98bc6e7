#pragma once
// The image-analysis dock's tests: scenes of the record-and-replay harness played straight on
// Mesa by xqft-record (their frame images are the references), written as traces, and the dock
// waited for.
#include <QImage>
#include <QSignalSpy>
#include <QString>
#include <QStringList>

#include <functional>

#include <gtest/gtest.h>

class COutputViewerWidget;

namespace analysistest {

// Plays the scene once into a folder of its own (per variant) and returns that folder; empty when
// the host has no OpenGL ES library to play it on. The plain variant also writes NAME.xqft there.
QString Record(const char* scene, const QStringList& variant = {});
// The trace of the scene (recorded on first use); empty without a host library.
QString SceneTrace(const char* scene);
// The scene's trace written again with one value changed: the first log line holding `from` holds
// `to` instead (`name` names the copy); empty without a host library.
QString ChangedTrace(const char* scene, const QString& name, const QString& from, const QString& to);
// The scene's trace with the captured arrays of its first draw left out (its frame images kept):
// frame 1 cannot be analysed. Empty without a host library.
QString SceneTraceWithBrokenFirstDraw(const char* scene);
// Frame `frame` of the scene as the direct run drew it under the variant, as RGB888.
QImage Reference(const char* scene, int frame, const QStringList& variant = {});

// What `xqft-dump analyse TRACE --frame N OUT.ppm` followed by `options` writes, as RGB888; a null
// image (and a failure) when it writes none.
QImage Analysed(const QString& trace, int frame, const QStringList& options = {});

// Serves events until done() holds or ms pass; what done() says then.
bool WaitUntil(const std::function<bool()>& done, int ms = 30000);
// Waits until the spy has seen count signals in all.
bool WaitForSignals(QSignalSpy& spy, int count, int ms = 30000);

// The text of output.log, after checking that the Output tab shows all of it with the cursor at
// its end.
QString ExpectTabShowsTheLog(const COutputViewerWidget& tab);

// The image as RGB888 (what the references are).
QImage Rgb(const QImage& image);
// Both images as RGB888 are equal; else their sizes, or how many pixels differ and the first.
::testing::AssertionResult SameImage(const QImage& got, const QImage& want);

} // namespace analysistest
