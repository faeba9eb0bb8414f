// LWO2 surfaces (base colour, transparency, first colour image texture) and
// the still-image clips their textures name.
#include "lightwave/lwo_read_state.h"

namespace kzo {
namespace {

// The header subchunk of a block: its type is the subchunk's id. Returns
// whether the block is an enabled image map on the colour channel.
bool readBlockHeader(IffChunk& header, SurfaceTexture& block) {
    block.ordinal = readString(header);
    std::uint32_t channel = iffId("COLR");
    bool enabled = true;
    forEachSubchunk(header, [&](IffChunk& sub) {
        if (sub.id == iffId("CHAN")) {
            channel = readId(sub.data);
        } else if (sub.id == iffId("ENAB")) {
            enabled = sub.data.u16be() != 0;
        }
    });
    return header.id == iffId("IMAP") && channel == iffId("COLR") && enabled;
}

// The block as a colour image texture; hasImage is false for any other block.
SurfaceTexture readBlock(IffChunk& chunk) {
    SurfaceTexture block;
    bool colourImage = false;
    bool first = true;
    forEachSubchunk(chunk, [&](IffChunk& sub) {
        if (first) {
            first = false;
            colourImage = readBlockHeader(sub, block);
        } else if (sub.id == iffId("IMAG")) {
            block.clip = readIndex(sub.data);
            block.hasImage = true;
        } else if (sub.id == iffId("VMAP")) {
            block.uvMapName = readString(sub);
        }
    });
    block.hasImage = block.hasImage && colourImage;
    return block;
}

} // namespace

void readLwo2Surface(LwoRead& read, IffChunk& chunk) {
    LwoSurface surface;
    SurfaceTexture texture;
    std::string name = readString(chunk);
    // A surface derived from an earlier one starts from that one's values.
    const std::string source = readString(chunk);
    for (std::size_t i = 0; i < read.object.surfaces.size() && !source.empty(); ++i) {
        if (read.object.surfaces[i].name == source) {
            surface = read.object.surfaces[i];
            texture = read.textures[i];
            break;
        }
    }
    surface.name = std::move(name);
    forEachSubchunk(chunk, [&](IffChunk& sub) {
        switch (sub.id) {
        case iffId("COLR"):
            for (float& c : surface.color) {
                c = sub.data.f32be();
            }
            break;
        case iffId("TRAN"):
            surface.transparency = sub.data.f32be();
            break;
        case iffId("BLOK"): {
            SurfaceTexture block = readBlock(sub);
            // Equal ordinals keep the earlier block.
            if (block.hasImage && (!texture.hasImage || block.ordinal < texture.ordinal)) {
                texture = std::move(block);
            }
            break;
        }
        default:
            break;
        }
    });
    read.textures.push_back(std::move(texture));
    read.object.surfaces.push_back(std::move(surface));
}

void readLwo2Clip(LwoRead& read, IffChunk& chunk) {
    Clip clip;
    clip.index = chunk.data.u32be();
    bool still = false;
    forEachSubchunk(chunk, [&](IffChunk& sub) {
        if (sub.id == iffId("STIL") && !still) {
            clip.path = readString(sub);
            still = true;
        }
    });
    // Sequences, movies and references have no one image to name.
    if (still) {
        read.clips.push_back(std::move(clip));
    }
}

} // namespace kzo
