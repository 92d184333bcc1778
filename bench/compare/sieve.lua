-- sieve: the primes up to n by the sieve of Eratosthenes on a table of n + 1 ones (keys
-- 0 .. n), struck out by element assignment. Size: the first argument; prints the sum.
local n = tonumber(arg[1]) or 100000
local s = {}
for i = 0, n do
  s[i] = 1
end
local total = 0
for i = 2, n do
  if s[i] == 1 then
    total = total + i
    for j = i * i, n, i do
      s[j] = 0
    end
  end
end
print(total)
