#pragma once

#include <QString>

namespace kvarsel {

// One script line split for translation: head & text & tail is the line.
struct ResourceLine {
    QString head;
    QString text;
    QString tail;

    QString composed() const { return head + text + tail; }
    friend bool operator==(const ResourceLine&, const ResourceLine&) = default;
};

} // namespace kvarsel
