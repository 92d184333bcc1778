-- lists: builds a table of n numbers by appending, then walks it twice, with ipairs and by
-- index; 50 rounds. Size: the first argument (elements per list).
local n = tonumber(arg[1]) or 1000
local total = 0
for r = 1, 50 do
  local values = {}
  for i = 1, n do
    values[#values + 1] = (i * 7 + r) % 13
  end
  for _, v in ipairs(values) do
    total = total + v
  end
  for k = 0, #values - 1 do
    total = total + values[k + 1] * (k % 3)
  end
end
print(total)
