#include "station_view.h"

#include "engine_pictures.h"

namespace vantor {

bool StationView::SaveHistogramPicture(int device, const QString &fileName, int width, int height)
{
    return m_engine && SaveDeviceHistogram(*m_engine, device, fileName, width, height);
}

bool StationView::SaveGraphPicture(int device, int column, const QString &fileName, int width,
                                   int height)
{
    return m_engine && SaveDeviceGraph(*m_engine, device, column, fileName, width, height);
}

} // namespace vantor
