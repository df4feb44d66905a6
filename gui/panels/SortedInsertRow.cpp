#include "gui/panels/SortedInsertRow.h"

int SortedInsertRow(int count, const std::function<QString(int)>& textAt, const QString& text)
{
    // The items are in order already: the first greater one is found by halving.
    int low = 0;
    int high = count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (QString::compare(textAt(middle), text, Qt::CaseInsensitive) <= 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}
