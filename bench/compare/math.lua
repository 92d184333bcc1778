-- math: sin and cos of degrees, sqrt, abs, rounding (floor of x + 0.5), min and max in a loop
-- of n passes; only whole numbers are added up. Size: the first argument.
local n = tonumber(arg[1]) or 100000
local degrees = 0.017453292519943295
local sin, cos, sqrt, abs, floor = math.sin, math.cos, math.sqrt, math.abs, math.floor
local min, max = math.min, math.max
local acc = 0
for i = 1, n do
  local s = sin(i * degrees) * 1000
  local c = cos(i * 3 * degrees) * 1000
  local r = sqrt(i) * 10
  acc = acc + floor(abs(s) + r + 0.5) + floor(min(s, c) + 0.5) - floor(max(s, c) / 2 + 0.5)
end
print(acc)
