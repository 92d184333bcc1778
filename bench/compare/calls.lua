-- calls: calls the function step n times (vesk calls a separate script file instead).
-- Size: the first argument; prints the sum of the results as its checksum.
local n = tonumber(arg[1]) or 100000
local function step(k)
  return k * 2 % 7 + 1
end
local acc = 0
for i = 1, n do
  acc = acc + step(i)
end
print(acc)
