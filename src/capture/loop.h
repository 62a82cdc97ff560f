// The capture loop: flat-field-correction schedule, frame wait, acquisition
// and the per-pair dump steps.
#pragma once

#include "capture/context.h"
#include "sdk/binding.h"

// Whether pair i sends MAG_TriggerFFC(ch, 1) / (ch, 0) in a run of `pairs`.
bool ffcOnAt(int32_t i, int32_t pairs);
bool ffcOffAt(int32_t i, int32_t pairs);

// Runs every pair of the run.
void runCapture(const SdkApi& api, CaptureContext& ctx);
