#include "classic_number_locale.h"

#include <clocale>
#include <string>

#if !defined(_WIN32)
#include <locale.h>
#endif

namespace brenwick {

#if defined(_WIN32)

struct ClassicNumberLocale::State {
    int previous_mode = 0;
    std::string previous_numeric;
};

ClassicNumberLocale::ClassicNumberLocale() : state_(std::make_unique<State>()) {
    state_->previous_mode = _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
    state_->previous_numeric = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "C");
}

ClassicNumberLocale::~ClassicNumberLocale() {
    std::setlocale(LC_NUMERIC, state_->previous_numeric.c_str());
    _configthreadlocale(state_->previous_mode);
}

#else

struct ClassicNumberLocale::State {
    locale_t classic = static_cast<locale_t>(0);
    locale_t previous = static_cast<locale_t>(0);
};

ClassicNumberLocale::ClassicNumberLocale() : state_(std::make_unique<State>()) {
    state_->classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (state_->classic != static_cast<locale_t>(0)) state_->previous = uselocale(state_->classic);
}

ClassicNumberLocale::~ClassicNumberLocale() {
    if (state_->classic == static_cast<locale_t>(0)) return;
    uselocale(state_->previous);
    freelocale(state_->classic);
}

#endif

}  // namespace brenwick
