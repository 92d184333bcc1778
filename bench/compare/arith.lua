-- arith: arithmetic loop, x = x + i % 7 for i = 1 .. n, on locals as Lua users write it.
-- Size: the first argument; prints the sum as its checksum.
local n = tonumber(arg[1]) or 1000000
local x = 0
for i = 1, n do
  x = x + i % 7
end
print(x)
