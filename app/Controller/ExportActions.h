#pragma once
// The File menu's exports of the open trace: the text export of one frame or of all, the shader
// sources and the two CSV summaries. Each asks for a path, runs the export core and reports the
// outcome through the controller's prompts; without statistics (no trace open) each does nothing.
// The controller's export slots forward here.
class CTraceController;

class CExportActions
{
public:
    explicit CExportActions(CTraceController& controller) : m_controller(controller) {}

    // The text export, of the current frame or of every frame. Refused while the controller is
    // busy: started from the events a load or another export pumps, it would move the trace's
    // cursor under the walk that runs.
    void SaveText(bool currentFrame);
    void SaveShaders();
    void SaveFrameSummary();
    void SaveCallsSummary();

    // Switches of the text export; nothing in the user interface changes them.
    bool NumberCalls() const { return m_numberCalls; }
    void SetNumberCalls(bool on) { m_numberCalls = on; }
    bool IncludeData() const { return m_includeData; }
    void SetIncludeData(bool on) { m_includeData = on; }

private:
    CTraceController& m_controller;
    bool m_numberCalls = false;
    bool m_includeData = true;
};
