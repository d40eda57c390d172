#pragma once
// What the factory tools need from the main window, which they do not know: its sensor list
// (the repeated test walks it), the status update and the programming of the sensor shown, and
// a fresh look at the screen after a factory write or a display option.
#include <string>

namespace k7 {

class FactoryHost {
public:
    virtual ~FactoryHost() = default;

    // Entries of the main window's sensor list.
    virtual int sensorCount() = 0;
    // Chooses entry `index`, which addresses that sensor and reads its settings into the
    // screen; its text, or empty when it is not on screen (the line was busy, or it did not
    // answer).
    virtual std::string selectSensor(int index) = 0;
    // One status exchange with the sensor shown, displayed as the status poll displays it;
    // false when it did not answer.
    virtual bool updateStatus() = 0;
    // Programs the screen's settings into the sensor shown (never changing its ID tag); empty
    // when every cell was written and the sensor restarted, otherwise why not.
    virtual std::string programSensor() = 0;
    // The main screen is in edit mode (its settings are the user's, not the sensor's).
    virtual bool editing() = 0;
    // Reads the sensor shown again (after a factory write of its identity).
    virtual void showSensorAgain() = 0;
    // The temperature row or the inch format changed.
    virtual void displayOptionsChanged() = 0;
    // The RAM dump to PICRAM.txt, as the internal menu makes it.
    virtual void dumpRam() = 0;
};

}  // namespace k7
