#include "device/exchange_timing.h"

namespace exchange_timing {
std::atomic<ExchangeObserver> g_observer{nullptr};
}

void SetExchangeObserver(ExchangeObserver observer) { exchange_timing::g_observer.store(observer); }
