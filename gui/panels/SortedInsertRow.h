#pragma once

#include <functional>

#include <QString>

// Where a sorted list box puts text among count items: after every item that is not greater
// without regard to case, so equal texts stay in the order they came. textAt(i) is item i.
int SortedInsertRow(int count, const std::function<QString(int)>& textAt, const QString& text);
