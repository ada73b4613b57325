// Simulated trainers on pseudo-terminals behind links in a folder that
// CRVL_PORT_DIR names, for the classroom window's test and its picture.
#pragma once

#include "tools/trainersim/trainer_sim.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include <unistd.h>

namespace crvl::testing {

class ClassSims {
public:
    explicit ClassSims(const std::string& tag)
        : dir_(std::filesystem::temp_directory_path() /
               ("crvl-" + tag + "-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(dir_ / "ports");
        ::setenv("CRVL_PORT_DIR", (dir_ / "ports").c_str(), 1);
    }
    ~ClassSims() {
        for (auto& [name, sim] : sims_)
            sim->Stop();
        sims_.clear();
        std::filesystem::remove_all(dir_);
    }

    sim::TrainerSim& Plug(const std::string& name, sim::SimConfig config = {}) {
        config.linkPath = (dir_ / "ports" / name).string();
        auto trainer = std::make_unique<sim::TrainerSim>(config);
        (void)trainer->Open();
        trainer->Start();
        return *(sims_[name] = std::move(trainer));
    }
    void Unplug(const std::string& name) {
        std::filesystem::remove(dir_ / "ports" / name);
        sims_.at(name)->RequestHangUp();
    }
    sim::TrainerSim& Trainer(const std::string& name) { return *sims_.at(name); }
    std::filesystem::path Port(const std::string& name) const { return dir_ / "ports" / name; }
    std::filesystem::path Sessions() const { return dir_ / "sessions"; }

private:
    std::filesystem::path dir_;
    std::map<std::string, std::unique_ptr<sim::TrainerSim>> sims_;
};

} // namespace crvl::testing
