// SPDX-License-Identifier: MIT
#pragma once

// The test engine as the windows use it: the question bank, the random
// source, the settings and the run.
#include "engine/Question.h"
#include "engine/Random.h"
#include "engine/Run.h"
#include "engine/Settings.h"

// Puts a question on the test window.
void ShowQuestion(const TQuestion& question);
