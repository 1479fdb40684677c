// "SPC": the speech system (flight module set).
#pragma once

class ISpeechSystem {
public:
    // 0: names the directory the speech files are read from; called right after the flight set is loaded.
    virtual void spcSetDirectory(const char* directory) = 0;
};
