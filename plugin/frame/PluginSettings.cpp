#include "plugin/frame/PluginSettings.h"

PluginSettings& ThePluginSettings()
{
    static PluginSettings settings;
    return settings;
}
