#include "device/core/exchange_timing.h"

namespace exchange_timing {
std::atomic<ExchangeObserver> g_pObserver{nullptr};
}

void SetExchangeObserver(ExchangeObserver observer) { exchange_timing::g_pObserver.store(observer); }
