// The DirectX version check made at start, before any window exists.
#pragma once

// 1 to go on with start-up; 0 after the refusal message box was shown.
int DirectXCheck();
