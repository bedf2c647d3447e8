#include "core/Numbers.h"

namespace vortan {

double leadingValue(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const qsizetype start = i;
    auto digits = [&] {
        const qsizetype from = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        return i > from;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    bool any = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        any = digits() || any;
    }
    if (!any) return 0;
    qsizetype end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits()) end = i;
    }
    return text.mid(start, end - start).toDouble();
}

QString spacedNumber(double x) {
    const QString digits = QString::number(x, 'g', 15);
    return x < 0 ? digits : " " + digits;
}

QString trimBlanks(const QString& text) {
    qsizetype a = 0, b = text.size();
    while (a < b && text[a] == ' ')
        ++a;
    while (b > a && text[b - 1] == ' ')
        --b;
    return text.mid(a, b - a);
}

} // namespace vortan
