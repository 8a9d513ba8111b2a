// SPDX-License-Identifier: MIT
// SettingsFile on arbitrary file contents: the file either fails to load
// with SettingsError or loads, and then every read gives a value and a
// change can be saved. A saved document that loads again holds the change;
// one may fail to load again, since the toolkit writes it in the encoding
// its own declaration names, whatever that is.
#include "scratchdir.h"

#include "app/settingsfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const int defaultTimeToLive = 0;
const int defaultPort = 3333;
const char defaultHost[] = "localhost";
const int writtenPort = 4711;

bool loads(const QString &path)
{
    try {
        SettingsFile settings(path);
        settings.readInt("timeToLive", defaultTimeToLive);
        settings.readInt("port", defaultPort);
        settings.readString("host", defaultHost);
        settings.readFloat("timeToLive", 0.0f);
        settings.setInt("port", writtenPort);
        settings.setFloat("timeToLive", 0.5f);
        settings.writeElement("host", "127.0.0.1");
        settings.save();
        return true;
    } catch (SettingsError *error) {
        delete error;
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const std::string path = fuzzsupport::scratchPath("clientSettings.xml");
    fuzzsupport::writeFile(path, data, size);
    const QString name = QString::fromStdString(path);
    if (!loads(name))
        return 0;
    try {
        SettingsFile saved(name);
        if (saved.readInt("port", defaultPort) != writtenPort)
            std::abort();
    } catch (SettingsError *error) {
        delete error;
    }
    return 0;
}
