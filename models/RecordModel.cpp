#include "RecordModel.h"
