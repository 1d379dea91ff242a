// Reading numbers as the classic "C" locale writes them, whatever locale the process uses.
#ifndef BRENWICK_CLASSIC_NUMBER_LOCALE_H
#define BRENWICK_CLASSIC_NUMBER_LOCALE_H

#include <memory>

namespace brenwick {

// While an object of this class exists, the C library's number conversions (strtod, which
// the XML library's attribute reading uses) on the constructing thread read a point as the
// decimal separator. Other threads keep their locale.
class ClassicNumberLocale {
public:
    ClassicNumberLocale();
    ~ClassicNumberLocale();
    ClassicNumberLocale(const ClassicNumberLocale&) = delete;
    ClassicNumberLocale& operator=(const ClassicNumberLocale&) = delete;

private:
    struct State;  // what the platform needs to restore the thread's locale
    std::unique_ptr<State> state_;
};

}  // namespace brenwick

#endif
