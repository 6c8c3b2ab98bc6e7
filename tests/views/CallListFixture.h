#pragma once
// The call list under test: a shown list wired to the controller as the main window wires it,
// and traces opened through the controller.
#include <QScrollBar>

#include <gtest/gtest.h>

#include "CallFixture.h"
#include "TraceController.h"
#include "ViewsTestApp.h"
#include "calllist/CallItemWidget.h"
#include "calllist/ViewCallsFrame.h"

class CallList : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestApp();
        m_controller = CTraceController::Instance();
        ResetCallFilters();
        m_list = std::make_unique<CViewCallsFrame>();
        // The main window's wiring.
        QObject::connect(m_controller, &CTraceController::SIGTraceUpdate, m_list.get(),
                         qOverload<bool>(&CViewCallsFrame::SLTUpdatedTrace));
        QObject::connect(m_controller, &CTraceController::SIGFrameUpdate, m_list.get(),
                         &CViewCallsFrame::SLTUpdatedCurrFrame);
        QObject::connect(m_controller, &CTraceController::SIGRequestedShowCall, m_list.get(),
                         qOverload<int>(&CViewCallsFrame::SLTRequestedShowCall));
        m_list->resize(814, 550);
        m_list->show();
        Settle();
    }
    void TearDown() override
    {
        m_list.reset();
        m_controller->Shutdown();
    }
    void Open(std::unique_ptr<CTraceData> trace)
    {
        m_traces.push_back(std::move(trace));
        OpenInController(m_traces.back().get());
        Settle();
    }
    static void Settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    int VisibleRows() const
    {
        int n = 0;
        for (CCallItemWidget* row : m_list->Rows())
            n += row->isVisible() ? 1 : 0;
        return n;
    }
    // Rows found as children of the list: proves nothing else created row widgets.
    int RowWidgets() const { return int(m_list->findChildren<CCallItemWidget*>().size()); }
    CCallItemWidget* RowShowing(u32 callNumber) const
    {
        for (CCallItemWidget* row : m_list->Rows())
            if (row->isVisible() && row->CallNumber() == callNumber)
                return row;
        return nullptr;
    }
    QScrollBar* Scroll() const { return m_list->Form().verticalScrollBar; }

    CTraceController* m_controller = nullptr;
    std::unique_ptr<CViewCallsFrame> m_list;
    std::vector<std::unique_ptr<CTraceData>> m_traces;  // outlive the controller's use of them
};

inline std::unique_ptr<CTraceData> BigFrame(int calls)
{
    CTraceBuilder b;
    for (int i = 0; i < calls - 1; ++i) {
        if (i % 50 == 49)
            b.Draw();
        else
            b.Add(kIdClear).Arg("mask", std::to_string(i));
    }
    b.Frame();
    return b.Take();
}
