#pragma once

#include "platform/com/Types.h"

/// The target distance the sensor is set up for.
enum enumTargetType : LONG {
    Target5m = 1,
    Target10m = 2,
    TargetQuillon10m = 3,
    Target25m = 4,
    Target50m = 5,
};

/// The state of the device's signal light.
enum enumSemaphoreMode : LONG {
    SemaphoreOff = 0,
    SemaphoreGreen = 1,
    SemaphoreRed = 2,
};

/// Where the sensor sits on the barrel; it decides how the sensor's axes turn into the target's.
enum enumSensorPosition : LONG {
    SensorBottom = 1,
    SensorTop = 2,
    SensorLeft = 3,
    SensorRight = 4,
};
