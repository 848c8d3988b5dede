#pragma once

#include "input/key.h"

#include <memory>
#include <string>

namespace keyweave {

class TPoint {
public:
    std::int32_t X = 0;
    std::int32_t Y = 0;
    int Set(std::int32_t x, std::int32_t y) {
        X = x;
        Y = y;
        return 0;
    }
};

using PointRef = std::shared_ptr<TPoint>;

// The mouse: its button table, cursor position and moves, button injection and the lock.
class TMouse {
public:
    static KeyRef AddKey(const std::u16string& name, const std::u16string& scriptName,
                         std::int32_t code);
    static KeyRef ReturnTKeyFromInt(std::int32_t code);
    static KeyRef ReturnTKeyFromString(const std::u16string& text);
    static std::int32_t ReturnIntFromString(const std::u16string& text);
    static std::u16string ReturnNameFromInt(std::int32_t code);
    static std::u16string ReturnScriptNameFromInt(std::int32_t code);

    static int Down(std::int32_t button);
    static int Up(std::int32_t button);
    static int Flush();
    static int SetPos(std::int32_t x, std::int32_t y);
    static PointRef GetPos();
    static std::int32_t GetPosX();
    static std::int32_t GetPosY();
    // Pins the cursor where it is; Update puts it back there once per running turn.
    static int Lock();
    static int Unlock();
    static int Update();
    // The start position is the cursor's position when the script starts. A start clears it,
    // and TakeStartPos takes it after the start turn's command, unless something moves the
    // cursor first, so that reading the cursor does not delay the script's first key.
    static int TakeStartPos();

    // The absolute-move coordinate of the centre of a pixel (AbsoluteMoveCoordinate).
    static std::int32_t AbsMousePos(std::int32_t pixel, std::int32_t size);
    static std::int32_t AbsMousePosX(std::int32_t x);
    static std::int32_t AbsMousePosY(std::int32_t y);
};

} // namespace keyweave
