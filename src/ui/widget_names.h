#pragma once
// Windows find their controls, and tests find them too, by object name; these keep a
// control's construction and its name on one line.

#include <QLatin1String>
#include <QString>

namespace kirimo::ui {

// "name(index)", the name of one control of an indexed group.
inline QString indexed(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

// The widget, named.
template <typename T>
T* named(T* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

template <typename T>
T* named(T* widget, const char* name) {
    return named(widget, QString(QLatin1String(name)));
}

}  // namespace kirimo::ui
