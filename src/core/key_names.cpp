#include "core/key_names.h"

namespace tarvek {

bool IsMouseCode(int code) {
  return code == kMiddleButtonCode || code == kSideButton1Code || code == kSideButton2Code ||
         code == kWheelUpCode || code == kWheelDownCode;
}

bool MouseCodeNeedsModifier(int code) {
  return code == kMiddleButtonCode || code == kWheelUpCode || code == kWheelDownCode;
}

}  // namespace tarvek
