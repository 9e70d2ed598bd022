#pragma once
// How a run of the add-in is going: whether the last step succeeded, the error it met and the
// procedure it was in, how far the load got, and which frame and configuration the editor shows.

#include <QString>
#include <cstdint>

namespace tavik {

struct RunStatus {
    bool runOk = false;
    QString errorMessage;
    QString errorTitle;
    QString currentProc;
    int16_t loadStage = 0;
    int16_t activeConfigIndex = 0;
    int16_t currentFrame = 0;
};

} // namespace tavik
