// Operations that are not written yet do nothing.

#include "link/CTrxData.h"

namespace tavro {

#define TAVRO_PENDING(name)             \
    int CTrxData::name(int, int, int) { \
        return kWait;                   \
    }
TAVRO_PENDING(OpInitialize)
TAVRO_PENDING(OpSetControlType)
TAVRO_PENDING(OpExit)
TAVRO_PENDING(OpManualOutput)
TAVRO_PENDING(OpIoDownload)
TAVRO_PENDING(OpIoUpload)
TAVRO_PENDING(OpPidDefault)
TAVRO_PENDING(OpBasicDownload)
TAVRO_PENDING(OpStepUpload)
TAVRO_PENDING(OpStepDownload)
TAVRO_PENDING(OpSetMode)
TAVRO_PENDING(OpDrive)
TAVRO_PENDING(OpReturnOrigin)
TAVRO_PENDING(OpJog)
TAVRO_PENDING(OpInching)
TAVRO_PENDING(OpStepRun)
TAVRO_PENDING(OpStop)
TAVRO_PENDING(OpDetailUpload)
TAVRO_PENDING(OpDetailDownload)
TAVRO_PENDING(OpCommSetup)

}  // namespace tavro
