-- strings: builds a text of up to 91 characters from digits and letters in each of n
-- passes and compares it with the text of the pass before; the checksum adds lengths.
local n = tonumber(arg[1]) or 20000
local total, prev = 0, ""
for p = 1, n do
  local s, len = "v", 1
  for j = 1, p % 10 + 1 do
    s = s .. (p + j) % 10 .. "abcdefgh"
    len = len + 9
  end
  if s > prev then
    total = total + len
  else
    total = total + 1
  end
  prev = s
end
print(total)
