#include "host/browser/Win11Forms.h"

namespace zel {

TRoundedCornerType DefaultRoundedCorners = TRoundedCornerType::rcOn;

int CornerPreferenceValue(TRoundedCornerType Preference) {
  switch (Preference) {
    case TRoundedCornerType::rcOff:
      return 1;
    case TRoundedCornerType::rcOn:
      return 2;
    case TRoundedCornerType::rcSmall:
      return 3;
    case TRoundedCornerType::rcDefault:
      break;
  }
  return DefaultRoundedCorners == TRoundedCornerType::rcDefault
             ? 0
             : CornerPreferenceValue(DefaultRoundedCorners);
}

}  // namespace zel
