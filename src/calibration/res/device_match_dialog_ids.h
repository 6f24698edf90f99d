#pragma once
// The mapping window's template: a full-screen target without controls.
#define IDD_DEVICE_MATCH 138
