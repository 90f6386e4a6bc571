#include <QFile>
#include <QIconEnginePlugin>

// An icon engine planted beside the program. Loading it leaves a file behind,
// named by the test that planted it; it never makes an engine.
namespace {
const bool planted = [] {
    QFile marker(qEnvironmentVariable("QUANTARO_PLANTED_MARKER"));
    if (!marker.fileName().isEmpty() && marker.open(QIODevice::WriteOnly))
        marker.write("loaded");
    return true;
}();
} // namespace

class PlantedIconEngine : public QIconEnginePlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QIconEngineFactoryInterface" FILE "planted.json")

public:
    QIconEngine* create(const QString&) override { return nullptr; }
};

#include "PlantedIconEngine.moc"
