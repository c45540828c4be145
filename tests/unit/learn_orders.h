// Orders in which a user and a host can meet learning, for both builds: the editor's learn
// switch for CC Rezo armed ("arm") or switched off again ("off"), the editor closed and opened,
// controller 20 arriving ("cc"), the plug-in switched off and on ("reactivate"), the session
// saved and reopened ("save"). `learned`: CC Rezo ends with controller 20, else as it began
// (off). Either way the sound must follow what the parameter holds.
#pragma once

#include <cstdint>

struct LearnOrder {
    const char* steps;
    bool learned;
};

inline constexpr LearnOrder kLearnOrders[] = {
    {"arm cc", true},
    {"arm cc cc", true},
    {"arm off cc", false},
    {"arm close cc", false},
    {"arm close reactivate open cc", false},
    {"arm reactivate cc", true},
    {"arm save cc", false},
    {"arm cc close reactivate cc", true},
    {"arm cc save cc", true},
    {"close arm cc open", false},
};

inline constexpr int32_t kLearnOrderController = 20;
