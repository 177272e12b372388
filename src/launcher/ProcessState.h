// Puts the process-wide objects back as a freshly started process has them.
#pragma once

class ProcessState {
public:
    // The objects of launcher/Globals.h, in the order they are constructed, and the controls held.
    enum Part : unsigned {
        BATTERY = 1u << 0,
        FONT = 1u << 1,
        IMAGES = 1u << 2,
        CPU_CLOCK = 1u << 3,
        CONFIG = 1u << 4,
        CONTROLS = 1u << 5,
        ALL = (1u << 6) - 1,
    };

    // Resets each part given (a set of Part bits), in the order above. Pages whose pictures came
    // from the image cache must be dropped, or their pictures released, before IMAGES.
    static void reset(unsigned parts = ALL);
};
