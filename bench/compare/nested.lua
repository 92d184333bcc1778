-- nested: two counting loops of n passes each with an if/elseif/else chain in the body.
-- Size: the first argument (n * n inner passes); prints hits * 7 + total as its checksum.
local n = tonumber(arg[1]) or 400
local hits, total = 0, 0
for i = 1, n do
  for j = 1, n do
    if (i + j) % 3 == 0 then
      hits = hits + 1
    elseif i > j then
      total = total + i - j
    else
      total = total + 1
    end
  end
end
print(hits * 7 + total)
