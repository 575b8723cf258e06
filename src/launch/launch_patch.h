#pragma once

// 0 on success or when the user cancelled; -1 after a failure it reported.
int LaunchPatch();
