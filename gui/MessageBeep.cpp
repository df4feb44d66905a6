#include "gui/MessageBeep.h"

#include <atomic>

#include <QApplication>

namespace {
std::atomic<int> g_beeps{0};
}

void MessageBeep()
{
    ++g_beeps;
    QApplication::beep();
}

int MessageBeepCount()
{
    return g_beeps.load();
}
