// The view of a station running without windows: nothing is shown, messages go
// to the application log, and pictures are still rendered off-screen and saved,
// so an unattended station keeps its histogram and graph pictures.
#pragma once

#include "engine_view.h"

namespace vantor {

class Engine;

class StationView final : public HeadlessView
{
public:
    void attach(const Engine *engine) { m_engine = engine; }

    bool SaveHistogramPicture(int device, const QString &fileName, int width, int height) override;
    bool SaveGraphPicture(int device, int column, const QString &fileName, int width,
                          int height) override;

private:
    const Engine *m_engine = nullptr;
};

} // namespace vantor
