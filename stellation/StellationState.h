#pragma once
// State of the stellation shared with the rest of the model code: its busy flag,
// which lives beside the model's (model/ModelBusy.h) because the model's checks read it.

#include "model/ModelBusy.h"
