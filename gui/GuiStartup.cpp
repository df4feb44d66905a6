#include "gui/GuiStartup.h"

#include <clocale>

#include <QApplication>

#include "gui/PelagorFonts.h"

void PrepareGuiProcess()
{
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setFont(PelagorFont("MS Sans Serif", 8));
}
