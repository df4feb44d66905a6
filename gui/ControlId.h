#pragma once

#include <QObject>
#include <QString>

// Controls carry their numeric control id as objectName, so code and tests find them by it.
inline void SetControlId(QObject* control, int id)
{
    control->setObjectName(QString::number(id));
}

inline int ControlIdOf(const QObject* control)
{
    bool ok = false;
    const int id = control->objectName().toInt(&ok);
    return ok ? id : 0;
}

template <typename T>
T* FindControl(const QObject* parent, int id)
{
    return parent->findChild<T*>(QString::number(id));
}
