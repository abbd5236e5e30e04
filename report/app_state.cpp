// The one instance of the program's state record.
#include "report/app_state.h"

AppState g_App;
