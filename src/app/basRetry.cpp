#include "app/basRetry.h"

bool fnNextTry(qint16& counter) {
    ++counter;
    return counter < kSaveAttempts;
}
