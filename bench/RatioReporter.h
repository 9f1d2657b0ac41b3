#pragma once

// Prints each benchmark's time as a ratio against its floor, measured in the same run: a
// benchmark "BM_X/args" is paired with the floor "BM_FloorX/args" when one is registered.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            // With repetitions only the median counts; without, the one run.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            std::string name = run.benchmark_name();
            if (run.run_type == Run::RT_Aggregate)
                name = name.substr(0, name.rfind('_'));
            m_times[name] = run.GetAdjustedRealTime();
            m_cpu[name] = run.GetAdjustedCPUTime();
            m_units[name] = benchmark::GetTimeUnitString(run.time_unit);
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        // On a machine shared with other work the CPU ratio is the steadier of the two.
        std::printf("\n%-36s %12s %12s %8s %12s %12s %8s\n", "benchmark", "time", "floor", "ratio", "cpu",
                    "floor cpu", "ratio");
        for (const auto &[name, time] : m_times) {
            const std::string::size_type bm = name.find("BM_");
            if (bm != 0 || name.compare(0, 8, "BM_Floor") == 0)
                continue;
            const std::string floor = "BM_Floor" + name.substr(3);
            const auto found = m_times.find(floor);
            if (found == m_times.end())
                continue;
            const double cpu = m_cpu[name], floorCpu = m_cpu[floor];
            std::printf("%-36s %9.1f %-2s %9.1f %-2s %8.2f %9.1f %-2s %9.1f %-2s %8.2f\n", name.c_str(), time,
                        m_units[name].c_str(), found->second, m_units[floor].c_str(), time / found->second, cpu,
                        m_units[name].c_str(), floorCpu, m_units[floor].c_str(), cpu / floorCpu);
        }
        std::fflush(stdout);
    }

private:
    std::map<std::string, double> m_times;
    std::map<std::string, double> m_cpu;
    std::map<std::string, std::string> m_units;
};
