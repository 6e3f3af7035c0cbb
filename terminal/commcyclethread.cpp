#include "terminal/commcyclethread.h"

#include "platform/HandOver.h"
#include "terminal/Main.h"

TCommCycleThread* CycleThread = nullptr;

TCommCycleThread::TCommCycleThread()
{
    if (CommTermForm != nullptr)
        CommTermForm->CycleThreadDone = false;
}

void TCommCycleThread::ReportEnd()
{
    platform::RunOnWindowThread([this] {
        if (CycleThread == this && CommTermForm != nullptr)
            CommTermForm->CycleThreadDone = true;
    });
}
