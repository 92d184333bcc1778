-- members: reads and assigns the fields of a table in a loop of n passes.
-- Size: the first argument; prints the sum of the three fields as its checksum.
local n = tonumber(arg[1]) or 200000
local p = {x = 0, y = 1, z = 2}
for i = 1, n do
  p.x = p.x + p.y % 5
  p.y = p.z + i % 4
  p.z = p.x % 9
end
print(p.x + p.y + p.z)
