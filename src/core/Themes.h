// The catalogue of the host's visual themes.
#pragma once

#include <array>
#include <string_view>

namespace zel {

// The built-in "Windows" look first, then the carried styles, as the style
// engine lists them.
constexpr std::array<std::string_view, 40> kThemeNames = {
    "Windows",
    "Amakrits",
    "Amethyst Kamri",
    "Aqua Graphite",
    "Aqua Light Slate",
    "Auric",
    "Carbon",
    "Charcoal Dark Slate",
    "Cobalt XEMedia",
    "Cyan Dusk",
    "Cyan Night",
    "Emerald Light Slate",
    "Glossy",
    "Glow",
    "Golden Graphite",
    "Iceberg Classico",
    "Lavender Classico",
    "Light",
    "Luna",
    "Metropolis UI Black",
    "Metropolis UI Blue",
    "Metropolis UI Dark",
    "Metropolis UI Green",
    "Obsidian",
    "Onyx Blue",
    "Ruby Graphite",
    "Sapphire Kamri",
    "Silver",
    "Sky",
    "Slate Classico",
    "Smokey Quartz Kamri",
    "Tablet Dark",
    "Tablet Light",
    "Turquoise Gray",
    "Windows10",
    "Windows10 Blue",
    "Windows10 Dark",
    "Windows10 Green",
    "Windows10 Purple",
    "Windows10 SlateGray",
};

}  // namespace zel
